#include "options/shell_verbs.h"

#include "options/opzioni.h"
#include "options/reg_func.h"

namespace corvalinde {
namespace {

// Lower case for the letters of Windows-1252, which is all a registered extension can hold.
wchar_t Lower(wchar_t c) {
  if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
    return c + 32;
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

}  // namespace

std::wstring ProgramPath(const std::wstring& executableFolder) {
  return executableFolder + L"\\Corvalinde.exe";
}

std::wstring FileClassName(const std::wstring& extension) {
  std::wstring name = TrimmedExtension(extension);
  for (wchar_t& c : name)
    c = Lower(c);
  return name + L"file";
}

std::wstring VerbCommand(const std::wstring& programPath, wchar_t mode) {
  return L"\"" + programPath + L"\" /filename %1 /modal " + mode + L" /visible 0";
}

void CreateShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                      const std::wstring& programPath) {
  for (const std::wstring& extension : extensions) {
    std::wstring shell = FileClassName(extension) + L"\\shell";
    RegWriteString(registry, platform::kHkeyClassesRoot, shell + L"\\Registra\\command", L"",
                   VerbCommand(programPath, L'R'));
    RegWriteString(registry, platform::kHkeyClassesRoot, shell + L"\\Unregistra\\command", L"",
                   VerbCommand(programPath, L'U'));
  }
}

void RemoveShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions) {
  for (const std::wstring& extension : extensions) {
    std::wstring shell = FileClassName(extension) + L"\\shell";
    // A key with sub-keys cannot go: each command before its verb.
    for (const wchar_t* verb : {L"\\Registra", L"\\Unregistra"}) {
      RegDeleteEntry(registry, platform::kHkeyClassesRoot, shell + verb + L"\\command", L"");
      RegDeleteEntry(registry, platform::kHkeyClassesRoot, shell + verb, L"");
    }
  }
}

}  // namespace corvalinde
