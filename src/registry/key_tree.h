// Whole key trees, through the registry interface (whose DeleteKey takes only a key without
// sub-keys).
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvalinde {

// The key's sub-key names, in the registry's order; none when it cannot be listed.
std::vector<std::wstring> SubKeyNames(platform::Registry& registry, platform::RegKey key);

// Deletes root\path and everything under it, as far as the registry allows. The status of the
// last step: success, or not found when there was nothing to delete.
std::int32_t DeleteKeyTree(platform::Registry& registry, platform::RegKey root,
                           const std::wstring& path);

// Deletes root\path when it holds neither sub-keys nor values.
void DeleteKeyIfEmpty(platform::Registry& registry, platform::RegKey root,
                      const std::wstring& path);

}  // namespace corvalinde
