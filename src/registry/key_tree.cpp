#include "registry/key_tree.h"

#include <algorithm>

#include "platform/registry_key.h"

namespace corvalinde {

std::vector<std::wstring> ListedNames(
    std::uint32_t longest,
    const std::function<std::int32_t(std::uint32_t, wchar_t*, std::uint32_t*)>& enumerateAt,
    std::uint32_t most) {
  constexpr std::size_t kLongestName = 32768;  // value names go to 16,383 characters
  std::vector<std::wstring> names;
  std::vector<wchar_t> buffer(std::min<std::size_t>(std::size_t{longest} + 1, kLongestName));
  for (std::uint32_t index = 0; index < most;) {
    auto size = static_cast<std::uint32_t>(buffer.size());
    std::int32_t status = enumerateAt(index, buffer.data(), &size);
    if (status == platform::kRegMoreData && buffer.size() < kLongestName) {
      buffer.resize(std::min(buffer.size() * 2, kLongestName));
      continue;
    }
    if (status != platform::kRegSuccess) break;
    names.emplace_back(buffer.data(), std::min<std::size_t>(size, buffer.size()));
    ++index;
  }
  return names;
}

std::vector<std::wstring> SubKeyNames(platform::Registry& registry, platform::RegKey key) {
  std::vector<std::wstring> names;
  wchar_t name[platform::kMaxKeyNameLength + 1];
  for (std::uint32_t i = 0;; ++i) {
    auto size = static_cast<std::uint32_t>(std::size(name));
    if (registry.EnumKey(key, i, name, &size) != platform::kRegSuccess) break;
    names.emplace_back(name, size);
  }
  return names;
}

bool IsLink(platform::Registry& registry, platform::RegKey key) {
  std::uint32_t type = 0, size = 0;
  std::int32_t status = registry.QueryValue(key, L"SymbolicLinkValue", &type, nullptr, &size);
  return (status == platform::kRegSuccess || status == platform::kRegMoreData) &&
         type == platform::kRegLink;
}

namespace {

// Deletes what is below `key`, then `key` itself (a link: only itself).
std::int32_t DeleteOpenTree(platform::Registry& registry, platform::RegKey key, std::size_t depth) {
  if (!IsLink(registry, key) && depth < kDeepestKey) {
    for (const std::wstring& child : SubKeyNames(registry, key)) {
      platform::RegistryKey sub(registry);
      if (registry.OpenKeyItself(key, child, platform::kKeyRead | platform::kKeyDelete,
                                 *sub.Out()) == platform::kRegSuccess) {
        DeleteOpenTree(registry, sub.get(), depth + 1);
      }
    }
  }
  return registry.DeleteOpenKey(key);
}

}  // namespace

std::int32_t DeleteKeyTree(platform::Registry& registry, platform::RegKey root,
                           const std::wstring& path) {
  platform::RegistryKey key(registry);
  std::int32_t status =
      registry.OpenKeyItself(root, path, platform::kKeyRead | platform::kKeyDelete, *key.Out());
  if (status != platform::kRegSuccess) return status;
  return DeleteOpenTree(registry, key.get(), 0);
}

std::int32_t OpenKeyWithoutLinks(platform::Registry& registry, platform::RegKey root,
                                 const std::wstring& path, std::uint32_t access,
                                 platform::RegistryKey& key) {
  platform::RegistryKey parent(registry);
  platform::RegKey at = root;
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    const bool last = end == path.size();
    const std::wstring name = path.substr(start, end - start);
    platform::RegistryKey& into = last ? key : parent;
    platform::RegistryKey opened(registry);
    std::int32_t status = registry.OpenKeyItself(
        at, name, last ? access | platform::kKeyQueryValue : platform::kKeyRead, *opened.Out());
    if (status != platform::kRegSuccess) return status;
    if (IsLink(registry, opened.get())) return platform::kRegAccessDenied;
    into = std::move(opened);
    if (last) return platform::kRegSuccess;
    at = parent.get();
    start = end + 1;
  }
}

void DeleteKeyIfEmpty(platform::Registry& registry, platform::RegKey root,
                      const std::wstring& path) {
  platform::RegistryKey key(registry);
  platform::RegKeyInfo info;
  if (OpenKeyWithoutLinks(registry, root, path, platform::kKeyRead | platform::kKeyDelete, key) !=
          platform::kRegSuccess ||
      registry.QueryInfoKey(key.get(), info) != platform::kRegSuccess || info.subKeys ||
      info.values) {
    return;
  }
  registry.DeleteOpenKey(key.get());
}

}  // namespace corvalinde
