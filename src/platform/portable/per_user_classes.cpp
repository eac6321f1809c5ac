#include "platform/per_user_classes.h"

namespace corvalinde::platform {

// The portable loader's modules write no registry: there is nothing to map.
std::uint32_t MapClassesRootToCurrentUser() {
  return 0;
}

void RestoreClassesRoot() {}

std::uint32_t MapMachineToScratch(const std::wstring&) {
  return 0;
}

void RestoreMachineRoot() {}

void EnablePerUserTypeLibraries() {}

}  // namespace corvalinde::platform
