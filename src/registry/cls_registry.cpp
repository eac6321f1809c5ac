#include "registry/cls_registry.h"

#include "registry/key_tree.h"

#include <algorithm>

#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registry/key_tree.h"

namespace corvalinde {
namespace {

using platform::RegistryKey;

constexpr std::uint32_t kSixKeyRights = 0x3F;  // KEY_QUERY_VALUE through KEY_CREATE_LINK

// Texts whose first "%" has another one at least two places later name a variable.
bool NamesAVariable(const std::wstring& text) {
  std::size_t first = text.find(L'%');
  return first != std::wstring::npos && text.find(L'%', first + 2) != std::wstring::npos;
}

std::int32_t LittleEndian(std::string_view bytes) {
  std::uint8_t low[4] = {};
  std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()),
              std::min<std::size_t>(bytes.size(), 4), low);
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(low[0]) | static_cast<std::uint32_t>(low[1]) << 8 |
      static_cast<std::uint32_t>(low[2]) << 16 | static_cast<std::uint32_t>(low[3]) << 24);
}

}  // namespace

std::wstring clsRegistry::WriteFailureText(const RegistryValue& value) const {
  return L"Failed to set registry value Key: '" + std::to_wstring(classKey_) + L"',Section: '" +
         sectionKey_ + L"',Key: '" + valueKey_ + L"' to value: '" + ToText(value) + L"'";
}

bool clsRegistry::KeyExists() {
  RegistryKey key(registry_);
  return key.Open(Root(), sectionKey_, platform::kKeyQueryValue) == platform::kRegSuccess;
}

bool clsRegistry::CreateKey() {
  RegistryKey key(registry_);
  if (key.Create(Root(), sectionKey_, kSixKeyRights) != platform::kRegSuccess) {
    throw RegistryError(kErrRegistryKey, L"Failed to create registry Key: '" + sectionKey_);
  }
  return true;
}

bool clsRegistry::DeleteKey() {
  if (registry_.DeleteKey(Root(), sectionKey_) != platform::kRegSuccess) {
    throw RegistryError(kErrRegistryKey, L"Failed to delete registry Key: '" +
                                             std::to_wstring(classKey_) + L"',Section: '" +
                                             sectionKey_);
  }
  return true;
}

bool clsRegistry::DeleteValue() {
  RegistryKey key(registry_);
  if (key.Open(Root(), sectionKey_, kSixKeyRights) != platform::kRegSuccess) {
    throw RegistryError(kErrRegistryKey, L"Failed to open key '" + std::to_wstring(classKey_) +
                                             L"',Section: '" + sectionKey_ +
                                             L"' for delete access");
  }
  if (registry_.DeleteValue(key.get(), valueKey_) != platform::kRegSuccess) {
    throw RegistryError(kErrRegistryKey, L"Failed to delete registry Key: '" +
                                             std::to_wstring(classKey_) + L"',Section: '" +
                                             sectionKey_ + L"',Key: '" + valueKey_);
  }
  return true;
}

RegistryValue clsRegistry::Value() {
  RegistryKey key(registry_);
  key.Open(Root(), sectionKey_, platform::kKeyQueryValue);  // a failure fails the query
  // Most values fit a small buffer and arrive with the first query; a larger one is asked for
  // again with a buffer of exactly the size the registry reports, and only those bytes are
  // looked at, whatever size and type it claims.
  std::uint8_t small[256];
  std::uint32_t type = 0, size = sizeof small;
  std::int32_t status = registry_.QueryValue(key.get(), valueKey_, &type, small, &size);
  if (status != platform::kRegSuccess && status != platform::kRegMoreData) return default_;
  valueType_ = static_cast<std::int32_t>(type);
  ByteArray large;
  std::string_view bytes(reinterpret_cast<const char*>(small),
                         std::min<std::size_t>(size, sizeof small));
  if (status == platform::kRegMoreData) {
    large.resize(size);
    std::uint32_t read = size;
    if (registry_.QueryValue(key.get(), valueKey_, nullptr, large.data(), &read) !=
        platform::kRegSuccess) {
      large.assign(large.size(), 0);  // changed in between: the bytes are not the value's
      read = size;
    }
    bytes = std::string_view(reinterpret_cast<const char*>(large.data()), std::min(read, size));
  }
  switch (type) {
    case platform::kRegSz:
    case platform::kRegMultiSz:
    case platform::kRegExpandSz: {
      // The stored text without its NUL; a multi-string keeps the NULs inside it.
      std::wstring text = platform::FromRegistryText(
          reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      if (type == platform::kRegExpandSz) return ExpandEnvironmentText(text);
      return text;
    }
    case platform::kRegDword:
      return LittleEndian(bytes);
    case platform::kRegDwordBigEndian:
      return SwapByteOrder(LittleEndian(bytes));
    default:
      return ByteArray(bytes.begin(), bytes.end());
  }
}

void clsRegistry::SetValue(const RegistryValue& value) {
  RegistryKey key(registry_);
  if (key.Create(Root(), sectionKey_, kSixKeyRights) != platform::kRegSuccess) {
    throw RegistryError(kErrRegistryKey, WriteFailureText(value));
  }
  const std::wstring& name = valueKey_;
  std::int32_t status = platform::kRegInvalidParameter;  // types that store nothing
  switch (valueType_) {
    case platform::kRegSz:
    case platform::kRegExpandSz: {
      std::wstring text = ToText(value);
      std::vector<std::uint8_t> bytes = platform::ToRegistryText(text);
      status = registry_.SetValue(key.get(), name,
                                  NamesAVariable(text) ? platform::kRegExpandSz : platform::kRegSz,
                                  bytes.data(), static_cast<std::uint32_t>(bytes.size()));
      break;
    }
    case platform::kRegBinary: {
      const auto* bytes = std::get_if<ByteArray>(&value);
      if (!bytes)
        throw RegistryError(kErrRegistryKey, L"Application-defined or object-defined error");
      status = registry_.SetValue(key.get(), name, platform::kRegBinary, bytes->data(),
                                  static_cast<std::uint32_t>(bytes->size()));
      break;
    }
    case platform::kRegDword:
    case platform::kRegDwordBigEndian: {
      std::int32_t number = 0;
      if (const auto* small = std::get_if<std::int16_t>(&value)) {
        number = *small;
      } else if (const auto* large = std::get_if<std::int32_t>(&value)) {
        number = *large;
      } else {
        return;  // other kinds are not written, and that is no failure
      }
      std::uint8_t bytes[4] = {
          static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
          static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
      status = registry_.SetValue(key.get(), name, platform::kRegDword, bytes, 4);
      break;
    }
    default:
      break;
  }
  if (status != platform::kRegSuccess) {
    throw RegistryError(kErrValueNotStored, WriteFailureText(value));
  }
}

std::int32_t clsRegistry::SwapByteOrder(std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  return static_cast<std::int32_t>((bits >> 24) | ((bits >> 8) & 0xFF00) |
                                   ((bits << 8) & 0xFF0000) | (bits << 24));
}

std::wstring clsRegistry::ExpandEnvironmentText(const std::wstring& text) {
  std::uint32_t needed = registry_.ExpandEnvironment(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::wstring expanded(needed, L'\0');
  std::uint32_t written = registry_.ExpandEnvironment(text.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return text;
  expanded.resize(written - 1);
  return expanded;
}

namespace {

// The names into `names`, counted in `count` (see ListedNames).
template <typename EnumerateAt>
void ListNames(std::uint32_t longest, EnumerateAt enumerateAt, NameArray& names,
               std::int32_t& count) {
  for (std::wstring& name : ListedNames(longest, enumerateAt)) {
    names.Append(std::move(name));
    ++count;
  }
}

}  // namespace

bool clsRegistry::EnumerateValues(NameArray& sKeyNames, std::int32_t& iKeyCount) {
  iKeyCount = 0;
  sKeyNames.Clear();
  RegistryKey key(registry_);
  if (key.Open(Root(), sectionKey_, platform::kKeyQueryValue) != platform::kRegSuccess) {
    return true;
  }
  platform::RegKeyInfo info;
  if (registry_.QueryInfoKey(key.get(), info) != platform::kRegSuccess) return true;
  ListNames(
      info.longestValueName,
      [&](std::uint32_t index, wchar_t* name, std::uint32_t* size) {
        return registry_.EnumValue(key.get(), index, name, size);
      },
      sKeyNames, iKeyCount);
  return true;
}

bool clsRegistry::EnumerateSections(NameArray& sSect, std::int32_t& iSectCount) {
  iSectCount = 0;
  sSect.Clear();
  try {
    RegistryKey key(registry_);
    if (key.Open(Root(), sectionKey_, platform::kKeyEnumerateSubKeys) != platform::kRegSuccess) {
      return true;
    }
    // Opened for listing only, the key may not answer QueryInfoKey: then the longest name a
    // key can have sizes the buffer.
    platform::RegKeyInfo info;
    std::uint32_t longest = registry_.QueryInfoKey(key.get(), info) == platform::kRegSuccess
                                ? info.longestSubKeyName
                                : platform::kMaxKeyNameLength;
    ListNames(
        longest,
        [&](std::uint32_t index, wchar_t* name, std::uint32_t* size) {
          return registry_.EnumKey(key.get(), index, name, size);
        },
        sSect, iSectCount);
  } catch (const std::exception& failure) {
    std::string what = failure.what();
    throw RegistryError(kErrEnumeration, std::wstring(what.begin(), what.end()));
  }
  return true;
}

}  // namespace corvalinde
