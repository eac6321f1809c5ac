// Registration for the current user only: HKEY_CLASSES_ROOT mapped, for this whole process, to
// HKEY_CURRENT_USER\Software\Classes, so a module's self-registration writes there (and COM
// finds the user's classes first). Type libraries follow (OaEnablePerUserTLibRegistration).
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde::platform {

// 0 when the mapping is in place; otherwise the system's error code, and nothing is mapped.
std::uint32_t MapClassesRootToCurrentUser();
// Back to the machine's HKEY_CLASSES_ROOT, whatever was mapped meanwhile.
void RestoreClassesRoot();

// HKEY_LOCAL_MACHINE mapped, for this whole process, to the key HKEY_LOCAL_MACHINE under
// HKEY_CURRENT_USER\<scratchKey>, whose Software\Classes is a registry link to the user's
// classes: what a module writes or deletes under the machine's classes reaches the user's, and
// whatever else it writes for the machine stays in the scratch key, to be named and deleted
// (so do the classes, when Windows refuses to make the link).
// 0 when in place; otherwise the system's error code, and nothing is mapped.
std::uint32_t MapMachineToScratch(const std::wstring& scratchKey);
void RestoreMachineRoot();

// The key under a scratch key that stands for HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kScratchMachine[] = L"HKEY_LOCAL_MACHINE";

// RegisterTypeLib writes under the user's classes (Windows 7 and later): with
// HKEY_CLASSES_ROOT mapped, Windows refuses it otherwise. For the rest of the process.
void EnablePerUserTypeLibraries();

}  // namespace corvalinde::platform
