// Pieces of a message, one after another.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace corvalinde {

inline std::wstring Join(std::initializer_list<std::wstring_view> parts) {
  std::size_t length = 0;
  for (std::wstring_view part : parts) length += part.size();
  std::wstring text;
  text.reserve(length);
  for (std::wstring_view part : parts) text += part;
  return text;
}

}  // namespace corvalinde
