// Blanks around names: only the blank (code 32) counts, never tabs or other white space.
#pragma once

#include <string_view>

namespace corvalinde {

inline std::wstring_view TrimBlanks(std::wstring_view text) {
  std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

inline bool IsBlank(std::wstring_view text) {
  return TrimBlanks(text).empty();
}

}  // namespace corvalinde
