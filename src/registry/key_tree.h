// Whole key trees, through the registry interface (whose DeleteKey takes only a key without
// sub-keys), and the names a key lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_key.h"

namespace corvalinde {

// The names `enumerateAt(index, buffer, size)` lists (an EnumKey or EnumValue), with a buffer
// sized for the longest name the key reported and grown when a longer one arrives (the key
// changed in between): every name the registry allows is listed whole. At most `most` names:
// with the count the key reported, the call that would find no more is spared.
std::vector<std::wstring> ListedNames(
    std::uint32_t longest,
    const std::function<std::int32_t(std::uint32_t, wchar_t*, std::uint32_t*)>& enumerateAt,
    std::uint32_t most = UINT32_MAX);

// The key's sub-key names, in the registry's order; none when it cannot be listed.
std::vector<std::wstring> SubKeyNames(platform::Registry& registry, platform::RegKey key);

// Whether the key is a symbolic link: opened with OpenKeyItself, it holds a "SymbolicLinkValue"
// of type kRegLink.
bool IsLink(platform::Registry& registry, platform::RegKey key);

// How deep a tree is walked: as deep as Windows lets keys nest.
inline constexpr std::size_t kDeepestKey = 512;

// Deletes root\path and everything under it, as far as the registry allows, without ever
// leaving the tree: a link in it is deleted itself, never followed (nor is root\path, when it
// is one). The status of the last step: success, or not found when there was nothing to
// delete.
std::int32_t DeleteKeyTree(platform::Registry& registry, platform::RegKey root,
                           const std::wstring& path);

// Opens root\path a key at a time, each opened itself: refused (kRegAccessDenied) when a key
// on the way is a link, so that what is done there stays where the path says.
std::int32_t OpenKeyWithoutLinks(platform::Registry& registry, platform::RegKey root,
                                 const std::wstring& path, std::uint32_t access,
                                 platform::RegistryKey& key);

// Deletes root\path when it holds neither sub-keys nor values, and no key on the way is a link.
void DeleteKeyIfEmpty(platform::Registry& registry, platform::RegKey root,
                      const std::wstring& path);

}  // namespace corvalinde
