// File names and arguments on Linux are UTF-8 bytes; the portable backend decodes and encodes
// them here. A byte that is not valid UTF-8 is kept as the character of the same number.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde::platform::portable {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view text);

}  // namespace corvalinde::platform::portable
