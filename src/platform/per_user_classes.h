// Registration for the current user only: HKEY_CLASSES_ROOT mapped, for this whole process, to
// HKEY_CURRENT_USER\Software\Classes, so a module's self-registration writes there (and COM
// finds the user's classes first). Type libraries follow (OaEnablePerUserTLibRegistration).
#pragma once

#include <cstdint>

namespace corvalinde::platform {

// 0 when the mapping is in place; otherwise the system's error code, and nothing is mapped.
std::uint32_t MapClassesRootToCurrentUser();
// Back to the machine's HKEY_CLASSES_ROOT, whatever was mapped meanwhile.
void RestoreClassesRoot();

// RegisterTypeLib writes under the user's classes (Windows 7 and later): with
// HKEY_CLASSES_ROOT mapped, Windows refuses it otherwise. For the rest of the process.
void EnablePerUserTypeLibraries();

}  // namespace corvalinde::platform
