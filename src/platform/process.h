// What the running process knows about itself.
#pragma once

#include <string>

namespace corvalinde::platform {

// The argument part of the command line: everything after the program's own path, leading
// blanks removed, as one text (not split into arguments).
std::wstring ArgumentText();

// Full path of the running executable, and its folder without a trailing separator.
std::wstring ExecutablePath();
std::wstring ExecutableFolder();

}  // namespace corvalinde::platform
