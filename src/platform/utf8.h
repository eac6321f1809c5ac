// UTF-8, the one encoding of the program's files and of Linux's names: wide text (UTF-16 or
// UTF-32, as wchar_t is) to UTF-8 and back. Every layer's, so it lives at the bottom.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde::platform {

// A lone surrogate, or a number past U+10FFFF, becomes U+FFFD.
std::string Utf8(std::wstring_view text);
// A byte that is not valid UTF-8 is kept as the character of the same number.
std::wstring FromUtf8(std::string_view utf8);

}  // namespace corvalinde::platform
