// Capture: the roots a module's self-registration writes under, each mapped for this whole
// process to a key of its own below one scratch key of the current user, so that everything the
// module writes lands there and nothing else in the registry changes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace corvalinde::platform {

struct CapturedRoot {
  RegKey root;
  std::wstring_view name;  // also the name of its key under the scratch key
};

inline constexpr std::array<CapturedRoot, 4> kCapturedRoots = {{
    {kHkeyClassesRoot, L"HKEY_CLASSES_ROOT"},
    {kHkeyLocalMachine, L"HKEY_LOCAL_MACHINE"},
    {kHkeyCurrentUser, L"HKEY_CURRENT_USER"},
    {kHkeyUsers, L"HKEY_USERS"},
}};

// Creates the roots' keys under HKEY_CURRENT_USER\<scratchKey> and maps each root to its key.
// 0 when all are in place; otherwise the system's error code, and nothing stays mapped.
std::uint32_t MapRootsToScratch(const std::wstring& scratchKey);
// Every root back to the real one, whatever was mapped meanwhile.
void RestoreCapturedRoots();

}  // namespace corvalinde::platform
