// The other build of the program: a 64-bit Corvalinde.exe hands 32-bit modules to
// Corvalinde32.exe beside it, and a 32-bit one hands 64-bit modules to Corvalinde64.exe (or to a
// 64-bit Corvalinde.exe beside it, the layout of the release), as regsvr32 does with its
// SysWOW64 twin.
#pragma once

#include <optional>
#include <string>

#include "registration/module_architecture.h"

namespace corvalinde {

// The file name of the build that loads modules of `architecture`; empty when there is none.
std::wstring TwinName(ModuleArchitecture architecture);

// The twin that sits beside the running executable and can load modules of `architecture`.
std::optional<std::wstring> FindTwin(ModuleArchitecture architecture,
                                     const std::wstring& executablePath);

// "a 32 bit", "a 64 bit", "per ARM64": how the messages name an architecture.
std::wstring ArchitectureWords(ModuleArchitecture architecture);

// What to tell the user about a module of another architecture: two lines (what it is and what
// this build is; which build to use), or one when no build of the program can load it.
std::wstring WrongArchitectureText(ModuleArchitecture architecture);
// The end of the register/unregister dialog's summary line for such a module: what it is
// built for, and which build can take it.
std::wstring WrongArchitectureLineEnd(ModuleArchitecture architecture);

// What to say of a program under the twin's name that is not of the twin's architecture.
std::wstring WrongTwinText(const std::wstring& twin, ModuleArchitecture architecture);

}  // namespace corvalinde
