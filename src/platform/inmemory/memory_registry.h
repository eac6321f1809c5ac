// A registry held in memory, with the statuses of the real one: the registry of the portable
// build, and a sandbox for tests on every platform.
//
// HKEY_CLASSES_ROOT is what Windows makes of it: the merged view of
// HKEY_CURRENT_USER\Software\Classes and HKEY_LOCAL_MACHINE\Software\Classes. A key found in
// both is the user's for its values; listings name every sub-key of either once; a key created
// through it goes to the machine's classes unless it exists under the user's (or its parent
// exists only there). With HKEY_LOCAL_MACHINE read-only this is a standard user's registry.
//
// Sub-keys enumerate in the order Windows gives them (names compared upper-cased), values in
// the order they were first set. Letter case is folded for ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic, which covers the names tests and the portable build meet. Roots made
// read-only refuse every change and every opening with write rights (kRegAccessDenied), as
// HKEY_LOCAL_MACHINE does for a user without rights. Handles are checked against the rights they
// were opened with.
//
// It is a 64-bit system's registry as a 64-bit program sees it: opened with kKeyWow64_32Key from
// a root, a path to a class's CLSID or Interface key leads where 32-bit programs find theirs,
// under the classes' WOW6432Node.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvalinde::platform::inmemory {

namespace detail {
struct Node;
}

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  void SetReadOnly(RegKey root, bool readOnly);
  // The variables ExpandEnvironment knows (none at first).
  void DefineEnvironmentVariable(const std::wstring& name, const std::wstring& value);

  std::int32_t OpenKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                       RegKey& opened) override;
  std::int32_t CreateKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                         RegKey& opened) override;
  std::int32_t CloseKey(RegKey key) override;
  std::int32_t SetValue(RegKey key, std::wstring_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t QueryValue(RegKey key, std::wstring_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t DeleteValue(RegKey key, std::wstring_view name) override;
  std::int32_t DeleteKey(RegKey parent, std::wstring_view subKey) override;
  std::int32_t DeleteOpenKey(RegKey key) override;
  std::int32_t EnumKey(RegKey key, std::uint32_t index, wchar_t* name,
                       std::uint32_t* nameSize) override;
  std::int32_t EnumValue(RegKey key, std::uint32_t index, wchar_t* name,
                         std::uint32_t* nameSize) override;
  std::int32_t QueryInfoKey(RegKey key, RegKeyInfo& info) override;
  std::uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* destination,
                                  std::uint32_t size) override;

 private:
  using Node = detail::Node;
  struct Handle {
    std::shared_ptr<Node> node;  // where values are read and written
    std::uint32_t access = 0;
    // A key of HKEY_CLASSES_ROOT: the user's and the machine's key of its path (either may be
    // missing), and the merged listing of their sub-keys, made afresh at index 0.
    bool merged = false;
    std::shared_ptr<Node> user{}, machine{};
    mutable std::vector<std::wstring> mergedNames{};
  };
  static Handle Merged(Node* user, Node* machine, std::uint32_t access);
  const std::vector<std::wstring>& MergedNames(const Handle& handle, bool fresh) const;
  // Creates what is missing of `path` below `start`; the key, or the refusal.
  std::int32_t CreatePath(Node* start, bool mayCreateBelowStart, std::wstring_view path,
                          Node*& created);

  // The open handle or root behind `key`, checked for `rights`; status on failure.
  std::int32_t Resolve(RegKey key, std::uint32_t rights, const Handle*& handle) const;
  bool IsReadOnly(const Node& node) const;
  RegKey AddHandle(Handle handle);
  const Handle* FindHandle(RegKey key) const;

  std::map<RegKey, Handle> roots_;  // full access
  static constexpr RegKey kFirstHandle = 0x100;
  std::vector<Handle> handles_;  // by slot; an empty node marks a free slot
  std::vector<std::size_t> freeSlots_;
  std::set<RegKey> readOnlyRoots_;
  std::map<std::wstring, std::wstring> environment_;  // keys upper-cased
};

}  // namespace corvalinde::platform::inmemory
