// What the running process knows about itself.
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde::platform {

// The argument part of the command line: everything after the program's own path, leading
// blanks removed, as one text (not split into arguments).
std::wstring ArgumentText();

// Full path of the running executable (its long form, whatever short names it was started by),
// and its folder without a trailing separator.
std::wstring ExecutablePath();
std::wstring ExecutableFolder();

std::uint32_t CurrentProcessId();
// Whether a process of that id runs now (one that exists but may not be opened runs).
bool ProcessIsRunning(std::uint32_t id);

}  // namespace corvalinde::platform
