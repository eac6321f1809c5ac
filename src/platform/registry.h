// The registry, as the program uses it: the wide ("W") Win32 registry calls, with their
// statuses. Names and paths are wide text; text data is stored as Windows stores it, UTF-16LE
// bytes with a terminating NUL (see registry_text.h).
//
// Contract, as on Windows:
// - A RegKey is a predefined root (its signed 32-bit number, sign-extended) or a handle that
//   OpenKey/CreateKey returned; the caller closes every handle it gets with CloseKey (see
//   registry_key.h for an owner). Root 0 is no key: every call fails with kInvalidHandle.
// - Paths are names separated by "\"; an empty path names the key itself. Names compare
//   without regard to letter case.
// - An empty value name names the key's default value.
// - A path or value name holding a NUL is refused (kInvalidParameter), never cut short there.
// - QueryValue with `data` null or too small answers kMoreData (or kSuccess without data) and
//   sets `size` to the bytes needed.
// - EnumKey and EnumValue take the buffer size in characters (NUL included) and set it to the
//   name's length (NUL excluded); kMoreData when the name and its NUL do not fit, kNoMoreItems
//   past the last item. QueryInfoKey gives the longest names, so a buffer can be sized first.
// - DeleteKey refuses a key that has sub-keys (kAccessDenied).
// - A symbolic link (a key whose "SymbolicLinkValue" is a kRegLink) is followed by OpenKey,
//   CreateKey and DeleteKey; OpenKeyItself opens the link itself, and DeleteOpenKey deletes the
//   key a handle is open on, so a tree can be walked and deleted without leaving it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace corvalinde::platform {

using RegKey = std::intptr_t;

inline constexpr RegKey kHkeyClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr RegKey kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr RegKey kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr RegKey kHkeyUsers = static_cast<std::int32_t>(0x80000003u);
inline constexpr RegKey kHkeyCurrentConfig = static_cast<std::int32_t>(0x80000005u);

// Statuses (Win32 error codes) that callers look at.
enum RegStatus : std::int32_t {
  kRegSuccess = 0,
  kRegNotFound = 2,
  kRegAccessDenied = 5,
  kRegInvalidHandle = 6,
  kRegInvalidParameter = 87,
  kRegBadPathName = 161,
  kRegMoreData = 234,
  kRegNoMoreItems = 259,
  kRegKeyDeleted = 1018,
};

// Access rights.
enum RegAccess : std::uint32_t {
  kKeyQueryValue = 0x0001,
  kKeySetValue = 0x0002,
  kKeyCreateSubKey = 0x0004,
  kKeyEnumerateSubKeys = 0x0008,
  kKeyNotify = 0x0010,
  kKeyCreateLink = 0x0020,
  // Which registry view to open on 64-bit Windows, whatever this process's: the 64-bit one, or
  // the one 32-bit programs see (where their classes' CLSID and Interface keys lie apart).
  kKeyWow64_64Key = 0x0100,
  kKeyWow64_32Key = 0x0200,
  kKeyDelete = 0x00010000,
  kKeyRead = 0x00020019,
  kKeyAllAccess = 0x000F003F,
};

// Value types.
enum RegType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
};

// What QueryInfoKey tells of a key; lengths in characters, NUL excluded.
struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t longestSubKeyName = 0;
  std::uint32_t values = 0;
  std::uint32_t longestValueName = 0;
};

// The longest key name Windows allows, in characters.
inline constexpr std::uint32_t kMaxKeyNameLength = 255;

class Registry {
 public:
  virtual ~Registry() = default;

  virtual std::int32_t OpenKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                               RegKey& opened) = 0;
  // Opens the key, creating it and every missing key on the path (non-volatile).
  virtual std::int32_t CreateKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                                 RegKey& opened) = 0;
  virtual std::int32_t CloseKey(RegKey key) = 0;

  virtual std::int32_t SetValue(RegKey key, std::wstring_view name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) = 0;
  virtual std::int32_t QueryValue(RegKey key, std::wstring_view name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) = 0;
  virtual std::int32_t DeleteValue(RegKey key, std::wstring_view name) = 0;
  virtual std::int32_t DeleteKey(RegKey parent, std::wstring_view subKey) = 0;
  // As OpenKey, but the last key of the path is opened itself when it is a link. A registry
  // without links has nothing to tell apart.
  virtual std::int32_t OpenKeyItself(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                                     RegKey& opened) {
    return OpenKey(parent, subKey, access, opened);
  }
  // Deletes the key `key` is open on (with kKeyDelete); refused when it has sub-keys.
  virtual std::int32_t DeleteOpenKey(RegKey key) = 0;

  virtual std::int32_t EnumKey(RegKey key, std::uint32_t index, wchar_t* name,
                               std::uint32_t* nameSize) = 0;
  virtual std::int32_t EnumValue(RegKey key, std::uint32_t index, wchar_t* name,
                                 std::uint32_t* nameSize) = 0;
  virtual std::int32_t QueryInfoKey(RegKey key, RegKeyInfo& info) = 0;
  // EnumValue that also gives the value's type and data, as QueryValue does, in one call where
  // the system has one. kMoreData when the name or the data does not fit: the sizes then say
  // nothing sure, and the value is to be read with EnumValue and QueryValue, as this does.
  virtual std::int32_t EnumValueData(RegKey key, std::uint32_t index, wchar_t* name,
                                     std::uint32_t* nameSize, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* dataSize) {
    std::int32_t status = EnumValue(key, index, name, nameSize);
    if (status != kRegSuccess) return status;
    return QueryValue(key, std::wstring_view(name, *nameSize), type, data, dataSize);
  }

  // Replaces %NAME% references; returns the characters the result needs, NUL included (0 on
  // failure). Writes nothing when `size` is too small.
  virtual std::uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* destination,
                                          std::uint32_t size) = 0;
};

// The machine's registry: the Win32 calls on Windows. Elsewhere there is none, and this gives
// an in-memory registry that lives as long as the returned object.
std::unique_ptr<Registry> MakeSystemRegistry();

}  // namespace corvalinde::platform
