// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hexadecimal digits: what the program
// shows a user and what a process it starts is handed are known to be the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde {

std::wstring Sha256Hex(std::string_view bytes);

}  // namespace corvalinde
