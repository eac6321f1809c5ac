#include "browser/registered_file.h"

#include "common/blanks.h"
#include "common/letter_case.h"
#include "common/texts.h"
#include "pe/pe_file.h"

namespace corvalinde {
namespace {

std::wstring Unquoted(std::wstring_view text) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::wstring(text);
}

}  // namespace

std::wstring ProgramOfCommandLine(const std::wstring& commandLine, const FileTest& exists) {
  std::wstring_view text = TrimBlanks(commandLine);
  if (!text.empty() && text.front() == L'"') {
    std::size_t end = text.find(L'"', 1);
    return std::wstring(text.substr(1, end == std::wstring_view::npos ? end : end - 1));
  }
  for (std::size_t blank = text.find(L' '); blank != std::wstring_view::npos;
       blank = text.find(L' ', blank + 1)) {
    std::wstring prefix(text.substr(0, blank));
    if (exists(prefix)) return prefix;
    if (exists(prefix + L".exe")) return prefix + L".exe";
  }
  std::wstring upper = ToUpperText(text);
  std::size_t exe = upper.find(L".EXE");
  if (exe != std::wstring::npos && !exists(std::wstring(text))) {
    return std::wstring(text.substr(0, exe + 4));
  }
  if (exists(std::wstring(text))) return std::wstring(text);
  return std::wstring(text.substr(0, text.find(L' ')));
}

std::wstring RegisteredFile(const std::wstring& cell, bool commandLine, const FileTest& exists,
                            const Expander& expand) {
  std::wstring expanded = expand(cell);
  return commandLine ? ProgramOfCommandLine(expanded, exists) : Unquoted(expanded);
}

std::wstring FileStatus(const std::wstring& path, const FileTest& exists) {
  if (path.empty()) return {};
  if (!exists(path)) return std::wstring(texts::kStatusMissing);
  auto file = pe::OpenPeFile(path);
  switch (file ? pe::ReadMachine(*file).value_or(0) : 0) {
    case 0x014C:
    case 0x01C4:
      return std::wstring(texts::kStatus32);
    case 0x8664:
    case 0xAA64:
      return std::wstring(texts::kStatus64);
    default:
      return {};
  }
}

}  // namespace corvalinde
