// The in-memory registry's keys and how it compares their names: shared by its files only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace corvalinde::platform::inmemory::detail {

struct Node : std::enable_shared_from_this<Node> {
  struct Value {
    std::wstring name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  std::wstring name;
  std::wstring upperName;  // the sort and lookup key
  RegKey root = 0;
  Node* parent = nullptr;
  bool deleted = false;
  std::vector<std::shared_ptr<Node>> children;  // sorted by upperName, as Windows enumerates

  // Keys with many sub-keys (the roots hold thousands) also find them by hash.
  static constexpr std::size_t kIndexedFrom = 64;
  std::unordered_map<std::wstring, Node*> index;  // upperName -> child, once there are many

  // The child of that (upper-cased) name; null when there is none.
  Node* Child(const std::wstring& upper) const {
    if (!index.empty()) {
      auto found = index.find(upper);
      return found == index.end() ? nullptr : found->second;
    }
    auto at = LowerBound(upper);
    return at != children.end() && (*at)->upperName == upper ? at->get() : nullptr;
  }
  void Insert(const std::shared_ptr<Node>& child) {
    children.insert(LowerBound(child->upperName), child);
    if (!index.empty()) {
      index.emplace(child->upperName, child.get());
    } else if (children.size() >= kIndexedFrom) {
      for (const auto& each : children) index.emplace(each->upperName, each.get());
    }
  }
  void Erase(const Node& child) {
    index.erase(child.upperName);
    children.erase(LowerBound(child.upperName));
  }
  std::vector<std::shared_ptr<Node>>::const_iterator LowerBound(const std::wstring& upper) const {
    return std::lower_bound(
        children.begin(), children.end(), upper,
        [](const auto& child, const std::wstring& key) { return child->upperName < key; });
  }
  std::vector<Value> values;  // in the order first set
};

constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink |
                                       kKeyDelete | 0x00040000 /* WRITE_DAC */ |
                                       0x00080000 /* WRITE_OWNER */;
constexpr std::uint32_t kMaxValueNameLength = 16383;

// Upper case as the registry compares names, for the scripts the program and its tests meet.
wchar_t Upper(wchar_t c);
std::wstring UpperName(std::wstring_view name);
bool SameName(std::wstring_view a, std::wstring_view b);
bool HoldsNul(std::wstring_view text);

// Walks "a\\b\\c" one upper-cased name at a time; false for an empty name inside a non-empty
// path (one trailing "\\" is tolerated, as Windows does).
template <typename Visit>
bool ForEachName(std::wstring_view path, Visit visit) {
  std::wstring upper;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    if (end == start) return false;
    upper.assign(path.substr(start, end - start));
    for (wchar_t& c : upper) c = Upper(c);
    if (!visit(path.substr(start, end - start), upper)) return true;
    start = end + 1;
  }
  return true;
}

// The key at `path` below `start`; null when there is none (or `start` is null).
Node* Walk(Node* start, std::wstring_view path);

}  // namespace corvalinde::platform::inmemory::detail
