#include "app/regsvr32_syntax.h"

#include "common/letter_case.h"

namespace corvalinde {
namespace {

// Blank-separated words; double quotes group blanks into a word and are dropped.
std::vector<std::wstring> Words(std::wstring_view text) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool quoted = false, inWord = false;
  for (wchar_t c : text) {
    if (c == L'"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == L' ' || c == L'\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace

bool UsesRegsvr32Syntax(std::wstring_view commandText) {
  return ToUpperText(std::wstring(commandText)).find(L"/FILENAME") == std::wstring::npos;
}

std::optional<Regsvr32Command> ParseRegsvr32Command(std::wstring_view commandText) {
  Regsvr32Command command;
  for (const std::wstring& word : Words(commandText)) {
    if (word.empty() || (word[0] != L'/' && word[0] != L'-')) {
      if (!word.empty()) command.modules.push_back(word);
      continue;
    }
    std::wstring name = ToUpperText(word.substr(1));
    if (name == L"U") {
      command.unregister = true;
    } else if (name == L"S") {
      command.silent = true;
    } else if (name == L"N") {
      command.skipEntryPoint = true;
    } else if (name == L"I") {
      command.install = std::wstring();
    } else if (name.rfind(L"I:", 0) == 0) {
      command.install = word.substr(3);
    } else {
      return std::nullopt;
    }
  }
  if (command.modules.empty() || (command.skipEntryPoint && !command.install)) return std::nullopt;
  return command;
}

}  // namespace corvalinde
