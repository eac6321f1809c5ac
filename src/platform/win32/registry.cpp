#include "platform/registry.h"

#include <windows.h>

namespace corvalinde::platform {
namespace {

HKEY ToHkey(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}
RegKey FromHkey(HKEY key) {
  return reinterpret_cast<RegKey>(key);
}

class Win32Registry final : public Registry {
 public:
  std::int32_t OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                       RegKey& opened) override {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, access, &key);
    opened = status == ERROR_SUCCESS ? FromHkey(key) : 0;
    return status;
  }
  std::int32_t CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                         RegKey& opened) override {
    HKEY key = nullptr;
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    char noClass[] = "";
    LONG status = RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, noClass,
                                  REG_OPTION_NON_VOLATILE, access, &security, &key, nullptr);
    opened = status == ERROR_SUCCESS ? FromHkey(key) : 0;
    return status;
  }
  std::int32_t CloseKey(RegKey key) override { return RegCloseKey(ToHkey(key)); }
  std::int32_t SetValue(RegKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) override {
    return RegSetValueExA(ToHkey(key), name, 0, type, data, size);
  }
  std::int32_t QueryValue(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* size) override {
    DWORD valueType = 0, valueSize = size ? *size : 0;
    LONG status = RegQueryValueExA(ToHkey(key), name, nullptr, type ? &valueType : nullptr, data,
                                   size ? &valueSize : nullptr);
    if (type) *type = valueType;
    if (size) *size = valueSize;
    return status;
  }
  std::int32_t DeleteValue(RegKey key, const char* name) override {
    return RegDeleteValueA(ToHkey(key), name);
  }
  std::int32_t DeleteKey(RegKey parent, const std::string& subKey) override {
    return RegDeleteKeyA(ToHkey(parent), subKey.c_str());
  }
  std::int32_t EnumKey(RegKey key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override {
    return RegEnumKeyA(ToHkey(key), index, name, nameSize);
  }
  std::int32_t EnumValue(RegKey key, std::uint32_t index, char* name,
                         std::uint32_t* nameSize) override {
    DWORD size = nameSize ? *nameSize : 0;
    LONG status = RegEnumValueA(ToHkey(key), index, name, nameSize ? &size : nullptr, nullptr,
                                nullptr, nullptr, nullptr);
    if (nameSize) *nameSize = size;
    return status;
  }
  std::int32_t QueryInfoKey(RegKey key, std::uint32_t* longestValueName) override {
    char noClass[1] = "";
    DWORD classSize = 0, scratch = 0, longest = 0;
    FILETIME lastWrite{};
    LONG status = RegQueryInfoKeyA(ToHkey(key), noClass, &classSize, nullptr, &scratch, &scratch,
                                   &scratch, &scratch, &longest, &scratch, &scratch, &lastWrite);
    if (longestValueName) *longestValueName = longest;
    return status;
  }
  std::uint32_t ExpandEnvironment(const char* source, char* destination,
                                  std::uint32_t size) override {
    return ExpandEnvironmentStringsA(source, destination, size);
  }
};

}  // namespace

std::unique_ptr<Registry> MakeSystemRegistry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace corvalinde::platform
