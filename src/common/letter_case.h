// Upper and lower case of the letters the program's texts can hold: those of Windows-1252 (the
// ANSI code page they end up in). Other characters stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde {

wchar_t ToUpperLetter(wchar_t c);
wchar_t ToLowerLetter(wchar_t c);
std::wstring ToUpperText(std::wstring_view text);
std::wstring ToLowerText(std::wstring_view text);

}  // namespace corvalinde
