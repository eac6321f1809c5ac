// The one crossing between the program's wide text and the 8-bit (ANSI) bytes that the registry,
// opz.dat and the tray record hold.
//
// On Windows the code page is the system's ANSI code page (CP_ACP). The portable backend uses
// Windows-1252, so Italian letters (à, è, é, ì, ò, ù) behave in tests as on an Italian Windows.
// A character that the code page cannot spell becomes '?'; conversion never fails and never
// changes the number of characters, so one character is always one byte.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde::platform {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

}  // namespace corvalinde::platform
