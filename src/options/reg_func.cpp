#include "options/reg_func.h"

#include <algorithm>

#include "platform/registry_key.h"
#include "platform/registry_text.h"

namespace corvalinde {

using platform::RegistryKey;

namespace {
// "*" stands for the default value, which the registry names with an empty name.
std::wstring_view RegistryName(const std::wstring& valueName) {
  return valueName == L"*" ? std::wstring_view() : std::wstring_view(valueName);
}
}  // namespace

bool RegWriteString(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName, const std::wstring& data) {
  RegistryKey key(registry);
  if (key.Create(root, subKey, platform::kKeyAllAccess) != platform::kRegSuccess) return false;
  std::vector<std::uint8_t> bytes = platform::ToRegistryText(data);
  return registry.SetValue(key.get(), RegistryName(valueName), platform::kRegSz, bytes.data(),
                           static_cast<std::uint32_t>(bytes.size())) == platform::kRegSuccess;
}

std::optional<std::wstring> RegReadString(platform::Registry& registry, platform::RegKey root,
                                          const std::wstring& subKey,
                                          const std::wstring& valueName) {
  RegistryKey key(registry);
  if (key.Open(root, subKey, platform::kKeyQueryValue) != platform::kRegSuccess) return {};
  std::uint32_t type = 0, size = 0;
  if (registry.QueryValue(key.get(), RegistryName(valueName), &type, nullptr, &size) !=
          platform::kRegSuccess ||
      (type != platform::kRegSz && type != platform::kRegExpandSz)) {
    return {};
  }
  std::vector<std::uint8_t> bytes(size);
  if (registry.QueryValue(key.get(), RegistryName(valueName), &type, bytes.data(), &size) !=
      platform::kRegSuccess) {
    return {};
  }
  return platform::FromRegistryText(bytes.data(), std::min<std::size_t>(size, bytes.size()));
}

bool RegDeleteEntry(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName) {
  RegistryKey key(registry);
  if (!valueName.empty()) {
    if (key.Open(root, subKey, platform::kKeyAllAccess) != platform::kRegSuccess) return false;
    return registry.DeleteValue(key.get(), RegistryName(valueName)) == platform::kRegSuccess;
  }
  if (key.Open(root, L"", platform::kKeyAllAccess) != platform::kRegSuccess) return false;
  return registry.DeleteKey(key.get(), subKey) == platform::kRegSuccess;
}

}  // namespace corvalinde
