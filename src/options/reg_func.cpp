#include "options/reg_func.h"

#include "platform/ansi.h"
#include "platform/registry_key.h"

namespace corvalinde {

using platform::RegistryKey;
using platform::ToAnsi;

bool RegWriteString(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName, const std::wstring& data) {
  RegistryKey key(registry);
  if (key.Create(root, ToAnsi(subKey), platform::kKeyAllAccess) != platform::kRegSuccess) {
    return false;
  }
  std::string name = ToAnsi(valueName), bytes = ToAnsi(data);
  // The size counts the characters only; the registry adds the NUL that follows them.
  return registry.SetValue(key.get(), valueName == L"*" ? nullptr : name.c_str(), platform::kRegSz,
                           reinterpret_cast<const std::uint8_t*>(bytes.c_str()),
                           static_cast<std::uint32_t>(bytes.size())) == platform::kRegSuccess;
}

bool RegDeleteEntry(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName) {
  RegistryKey key(registry);
  if (!valueName.empty()) {
    if (key.Open(root, ToAnsi(subKey), platform::kKeyAllAccess) != platform::kRegSuccess) {
      return false;
    }
    std::string name = ToAnsi(valueName);
    return registry.DeleteValue(key.get(), valueName == L"*" ? nullptr : name.c_str()) ==
           platform::kRegSuccess;
  }
  if (key.Open(root, "", platform::kKeyAllAccess) != platform::kRegSuccess) return false;
  return registry.DeleteKey(key.get(), ToAnsi(subKey)) == platform::kRegSuccess;
}

}  // namespace corvalinde
