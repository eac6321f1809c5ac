// What a file given as a module is, by its extension: a library with DllRegisterServer (a DLL,
// an OCX, any other name), a type library, or a COM server program that registers itself when
// run with /RegServer.
#pragma once

#include <string>

namespace corvalinde {

enum class ModuleKind { Library, TypeLibrary, ServerProgram };

// The file name's extension with its dot, in lower case; empty when it has none.
std::wstring LowerExtension(const std::wstring& fileName);

// ".tlb" and ".olb" are type libraries, ".exe" a server program, in any letter case.
ModuleKind KindOfModule(const std::wstring& fileName);

// The switch a server program is run with to register or unregister itself (`registering`),
// for every user or for this user only (`forUser`).
const wchar_t* ServerProgramSwitch(bool registering, bool forUser);

}  // namespace corvalinde
