// Names nobody can guess or make first: for keys, files and channels the program creates.
#pragma once

#include <string>

namespace corvalinde::platform {

// 128 random bits as 32 lower-case hexadecimal digits.
std::wstring RandomName();

}  // namespace corvalinde::platform
