// A registry held in memory, with the statuses of the real one: the registry of the portable
// build, and a sandbox for tests on every platform.
//
// Sub-keys enumerate in the order Windows gives them (names compared upper-cased), values in
// the order they were first set. Letter case is folded for ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic, which covers the names tests and the portable build meet. Roots made
// read-only refuse every change and every opening with write rights (kRegAccessDenied), as
// HKEY_LOCAL_MACHINE does for a user without rights. Handles are checked against the rights they
// were opened with.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvalinde::platform::inmemory {

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
  std::int32_t EnumKey(RegKey key, std::uint32_t index, wchar_t* name,
                       std::uint32_t* nameSize) override;
  std::int32_t EnumValue(RegKey key, std::uint32_t index, wchar_t* name,
                         std::uint32_t* nameSize) override;
  std::int32_t QueryInfoKey(RegKey key, RegKeyInfo& info) override;
  std::uint32_t ExpandEnvironment(const wchar_t* source, wchar_t* destination,
                                  std::uint32_t size) override;

 private:
  struct Node;
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint32_t access;
  };

  // The open handle or root behind `key`, checked for `rights`; status on failure.
  std::int32_t Resolve(RegKey key, std::uint32_t rights, const Handle*& handle) const;
  bool IsReadOnly(const Node& node) const;
  RegKey AddHandle(std::shared_ptr<Node> node, std::uint32_t access);
  const Handle* FindHandle(RegKey key) const;

  std::map<RegKey, Handle> roots_;  // full access
  static constexpr RegKey kFirstHandle = 0x100;
  std::vector<Handle> handles_;  // by slot; an empty node marks a free slot
  std::vector<std::size_t> freeSlots_;
  std::set<RegKey> readOnlyRoots_;
  std::map<std::wstring, std::wstring> environment_;  // keys upper-cased
};

}  // namespace corvalinde::platform::inmemory
