#include "platform/registry.h"

#include <windows.h>

#include <string>

namespace corvalinde::platform {
namespace {

HKEY ToHkey(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}
RegKey FromHkey(HKEY key) {
  return reinterpret_cast<RegKey>(key);
}

// The W calls read up to the first NUL: a text holding one would name something shorter than
// what the caller asked for, so it is refused before it gets there.
bool HoldsNul(std::wstring_view text) {
  return text.find(L'\0') != std::wstring_view::npos;
}

// The call's name argument: null for the default value.
class Name {
 public:
  explicit Name(std::wstring_view name) : text_(name) {}
  const wchar_t* get() const { return text_.empty() ? nullptr : text_.c_str(); }

 private:
  std::wstring text_;
};

class Win32Registry final : public Registry {
 public:
  std::int32_t OpenKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                       RegKey& opened) override {
    opened = 0;
    if (HoldsNul(subKey)) return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(ToHkey(parent), std::wstring(subKey).c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) opened = FromHkey(key);
    return status;
  }
  std::int32_t CreateKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                         RegKey& opened) override {
    opened = 0;
    if (HoldsNul(subKey)) return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    LONG status = RegCreateKeyExW(ToHkey(parent), std::wstring(subKey).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, &security, &key, nullptr);
    if (status == ERROR_SUCCESS) opened = FromHkey(key);
    return status;
  }
  std::int32_t CloseKey(RegKey key) override { return RegCloseKey(ToHkey(key)); }
  std::int32_t SetValue(RegKey key, std::wstring_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    if (HoldsNul(name)) return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(ToHkey(key), Name(name).get(), 0, type, data, size);
  }
  std::int32_t QueryValue(RegKey key, std::wstring_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override {
    if (HoldsNul(name)) return ERROR_INVALID_PARAMETER;
    DWORD valueType = 0, valueSize = size ? *size : 0;
    LONG status = RegQueryValueExW(ToHkey(key), Name(name).get(), nullptr,
                                   type ? &valueType : nullptr, data, size ? &valueSize : nullptr);
    if (type) *type = valueType;
    if (size) *size = valueSize;
    return status;
  }
  std::int32_t DeleteValue(RegKey key, std::wstring_view name) override {
    if (HoldsNul(name)) return ERROR_INVALID_PARAMETER;
    return RegDeleteValueW(ToHkey(key), Name(name).get());
  }
  std::int32_t DeleteKey(RegKey parent, std::wstring_view subKey) override {
    if (HoldsNul(subKey)) return ERROR_INVALID_PARAMETER;
    return RegDeleteKeyW(ToHkey(parent), std::wstring(subKey).c_str());
  }
  std::int32_t OpenKeyItself(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                             RegKey& opened) override {
    opened = 0;
    if (HoldsNul(subKey)) return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(ToHkey(parent), std::wstring(subKey).c_str(), REG_OPTION_OPEN_LINK,
                                access, &key);
    if (status == ERROR_SUCCESS) opened = FromHkey(key);
    return status;
  }
  // No documented call deletes the key a handle is open on (RegDeleteKey opens it again, and
  // follows a link): the one beneath them.
  std::int32_t DeleteOpenKey(RegKey key) override {
    using DeleteKeyCall = LONG(NTAPI*)(HANDLE);
    using StatusToError = ULONG(NTAPI*)(LONG);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    static const auto deleteKey = reinterpret_cast<DeleteKeyCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtDeleteKey")));
    static const auto toError = reinterpret_cast<StatusToError>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (!deleteKey || !toError) return ERROR_CALL_NOT_IMPLEMENTED;
    return static_cast<std::int32_t>(toError(deleteKey(ToHkey(key))));
  }
  std::int32_t EnumKey(RegKey key, std::uint32_t index, wchar_t* name,
                       std::uint32_t* nameSize) override {
    if (!nameSize) return ERROR_INVALID_PARAMETER;
    DWORD size = *nameSize;
    LONG status =
        RegEnumKeyExW(ToHkey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) *nameSize = size;
    return status;
  }
  std::int32_t EnumValue(RegKey key, std::uint32_t index, wchar_t* name,
                         std::uint32_t* nameSize) override {
    if (!nameSize) return ERROR_INVALID_PARAMETER;
    DWORD size = *nameSize;
    LONG status =
        RegEnumValueW(ToHkey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) *nameSize = size;
    return status;
  }
  std::int32_t EnumValueData(RegKey key, std::uint32_t index, wchar_t* name,
                             std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) override {
    if (!nameSize || !type || !dataSize) return ERROR_INVALID_PARAMETER;
    DWORD size = *nameSize, valueType = 0, valueSize = *dataSize;
    LONG status =
        RegEnumValueW(ToHkey(key), index, name, &size, nullptr, &valueType, data, &valueSize);
    if (status == ERROR_SUCCESS) {
      *nameSize = size;
      *type = valueType;
      *dataSize = valueSize;
    }
    return status;
  }
  std::int32_t QueryInfoKey(RegKey key, RegKeyInfo& info) override {
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestValue = 0;
    LONG status = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subKeys, &longestSubKey,
                                   nullptr, &values, &longestValue, nullptr, nullptr, nullptr);
    info = {subKeys, longestSubKey, values, longestValue};
    return status;
  }
  std::uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* destination,
                                  std::uint32_t size) override {
    return ExpandEnvironmentStringsW(source, destination, size);
  }
};

}  // namespace

std::unique_ptr<Registry> MakeSystemRegistry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace corvalinde::platform
