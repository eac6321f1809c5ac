#include "platform/inmemory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace corvalinde::platform::inmemory {

struct MemoryRegistry::Node : std::enable_shared_from_this<MemoryRegistry::Node> {
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

namespace {

constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink |
                                       kKeyDelete | 0x00040000 /* WRITE_DAC */ |
                                       0x00080000 /* WRITE_OWNER */;
constexpr std::uint32_t kMaxValueNameLength = 16383;

// Upper case as the registry compares names, for the scripts the program and its tests meet.
wchar_t Upper(wchar_t c) {
  auto u = static_cast<std::uint32_t>(c);
  if (u < 0x80) return (u >= 'a' && u <= 'z') ? static_cast<wchar_t>(u - 32) : c;
  if ((u >= 0xE0 && u <= 0xFE && u != 0xF7) ||     // Latin-1
      (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) ||  // Greek
      (u >= 0x430 && u <= 0x44F)) {                // Cyrillic
    return static_cast<wchar_t>(u - 32);
  }
  if (u == 0xFF) return static_cast<wchar_t>(0x178);
  if (u >= 0x450 && u <= 0x45F) return static_cast<wchar_t>(u - 80);
  if (u >= 0x100 && u <= 0x17F && u != 0x131 && u != 0x138 && u != 0x149 && u != 0x17F) {
    // Latin Extended-A pairs: upper on even code points, except in the two runs that start odd.
    bool oddRun = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if ((u % 2 == 0) == oddRun) return static_cast<wchar_t>(u - 1);
  }
  return c;
}

std::wstring UpperName(std::wstring_view name) {
  std::wstring upper(name);
  for (wchar_t& c : upper) c = Upper(c);
  return upper;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool HoldsNul(std::wstring_view text) {
  return text.find(L'\0') != std::wstring_view::npos;
}

// Walks "a\b\c" one upper-cased name at a time; false for an empty name inside a non-empty
// path (one trailing "\" is tolerated, as Windows does).
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

// Copies a name into a caller's buffer of `*size` characters, as the W enumerations do.
std::int32_t GiveName(const std::wstring& name, wchar_t* buffer, std::uint32_t* size) {
  if (!size) return kRegInvalidParameter;
  if (!buffer || name.size() + 1 > *size) return kRegMoreData;
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = L'\0';
  *size = static_cast<std::uint32_t>(name.size());
  return kRegSuccess;
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  for (RegKey root :
       {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig}) {
    auto node = std::make_shared<Node>();
    node->root = root;
    roots_[root] = Handle{node, kKeyAllAccess};
  }
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::SetReadOnly(RegKey root, bool readOnly) {
  if (readOnly) {
    readOnlyRoots_.insert(root);
  } else {
    readOnlyRoots_.erase(root);
  }
}

void MemoryRegistry::DefineEnvironmentVariable(const std::wstring& name,
                                               const std::wstring& value) {
  environment_[UpperName(name)] = value;
}

bool MemoryRegistry::IsReadOnly(const Node& node) const {
  return readOnlyRoots_.count(node.root) != 0;
}

std::int32_t MemoryRegistry::Resolve(RegKey key, std::uint32_t rights,
                                     const Handle*& handle) const {
  if (auto root = roots_.find(key); root != roots_.end()) {
    handle = &root->second;
  } else if (const Handle* open = FindHandle(key)) {
    handle = open;
  } else {
    return kRegInvalidHandle;
  }
  if (handle->node->deleted) return kRegKeyDeleted;
  if ((handle->access & rights) != rights) return kRegAccessDenied;
  return kRegSuccess;
}

// Handles are 0x100 + 4 * slot, like the small multiples of 4 Windows hands out; freed slots
// are used again.
const MemoryRegistry::Handle* MemoryRegistry::FindHandle(RegKey key) const {
  if (key < kFirstHandle || (key - kFirstHandle) % 4) return nullptr;
  auto slot = static_cast<std::size_t>((key - kFirstHandle) / 4);
  return slot < handles_.size() && handles_[slot].node ? &handles_[slot] : nullptr;
}

RegKey MemoryRegistry::AddHandle(std::shared_ptr<Node> node, std::uint32_t access) {
  std::size_t slot = handles_.size();
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    handles_.emplace_back();
  }
  handles_[slot] = Handle{std::move(node), access};
  return kFirstHandle + static_cast<RegKey>(slot) * 4;
}

std::int32_t MemoryRegistry::OpenKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                                     RegKey& opened) {
  opened = 0;
  if (HoldsNul(subKey)) return kRegInvalidParameter;
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  Node* node = handle->node.get();
  bool valid = ForEachName(subKey, [&](std::wstring_view, const std::wstring& upper) {
    node = node->Child(upper);
    return node != nullptr;
  });
  if (!valid || !node) return kRegNotFound;
  if ((access & kWriteRights) && IsReadOnly(*node)) return kRegAccessDenied;
  opened = AddHandle(node->shared_from_this(), access);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::CreateKey(RegKey parent, std::wstring_view subKey,
                                       std::uint32_t access, RegKey& opened) {
  opened = 0;
  if (HoldsNul(subKey)) return kRegInvalidParameter;
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  bool tooLong = false;
  if (!ForEachName(subKey, [&](std::wstring_view name, const std::wstring&) {
        tooLong = tooLong || name.size() > kMaxKeyNameLength;
        return true;
      })) {
    return kRegBadPathName;
  }
  if (tooLong) return kRegInvalidParameter;
  Node* node = handle->node.get();
  std::size_t depth = 0;
  std::int32_t refused = kRegSuccess;
  ForEachName(subKey, [&](std::wstring_view name, const std::wstring& upper) {
    if (Node* child = node->Child(upper)) {
      node = child;
    } else if (IsReadOnly(*node) || (depth == 0 && !(handle->access & kKeyCreateSubKey))) {
      refused = kRegAccessDenied;
      return false;
    } else {
      auto created = std::make_shared<Node>();
      created->name = std::wstring(name);
      created->upperName = upper;
      created->root = node->root;
      created->parent = node;
      node->Insert(created);
      node = created.get();
    }
    ++depth;
    return true;
  });
  if (refused) return refused;
  if ((access & kWriteRights) && IsReadOnly(*node)) return kRegAccessDenied;
  opened = AddHandle(node->shared_from_this(), access);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::CloseKey(RegKey key) {
  if (roots_.count(key)) return kRegSuccess;
  if (!FindHandle(key)) return kRegInvalidHandle;
  auto slot = static_cast<std::size_t>((key - kFirstHandle) / 4);
  handles_[slot] = Handle{};
  freeSlots_.push_back(slot);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::SetValue(RegKey key, std::wstring_view name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeySetValue, handle)) return status;
  if (IsReadOnly(*handle->node)) return kRegAccessDenied;
  if ((size && !data) || HoldsNul(name) || name.size() > kMaxValueNameLength) {
    return kRegInvalidParameter;
  }
  auto& values = handle->node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, name); });
  std::vector<std::uint8_t> bytes(data, data + size);
  if (value != values.end()) {
    value->type = type;
    value->data = std::move(bytes);
  } else {
    values.push_back({std::wstring(name), type, std::move(bytes)});
  }
  return kRegSuccess;
}

std::int32_t MemoryRegistry::QueryValue(RegKey key, std::wstring_view name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  if ((data && !size) || HoldsNul(name)) return kRegInvalidParameter;
  const auto& values = handle->node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, name); });
  if (value == values.end()) return kRegNotFound;
  if (type) *type = value->type;
  auto needed = static_cast<std::uint32_t>(value->data.size());
  if (!size) return kRegSuccess;
  if (data && *size < needed) {
    *size = needed;
    return kRegMoreData;
  }
  if (data && needed) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return kRegSuccess;
}

std::int32_t MemoryRegistry::DeleteValue(RegKey key, std::wstring_view name) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeySetValue, handle)) return status;
  if (IsReadOnly(*handle->node)) return kRegAccessDenied;
  if (HoldsNul(name)) return kRegInvalidParameter;
  auto& values = handle->node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, name); });
  if (value == values.end()) return kRegNotFound;
  values.erase(value);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::DeleteKey(RegKey parent, std::wstring_view subKey) {
  RegKey target = 0;
  if (std::int32_t status = OpenKey(parent, subKey, kKeyDelete, target)) return status;
  std::shared_ptr<Node> node = FindHandle(target)->node;
  CloseKey(target);
  if (!node->parent || !node->children.empty()) return kRegAccessDenied;
  node->parent->Erase(*node);
  node->deleted = true;
  node->parent = nullptr;
  return kRegSuccess;
}

std::int32_t MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, wchar_t* name,
                                     std::uint32_t* nameSize) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyEnumerateSubKeys, handle)) return status;
  const auto& children = handle->node->children;
  if (index >= children.size()) return kRegNoMoreItems;
  return GiveName(children[index]->name, name, nameSize);
}

std::int32_t MemoryRegistry::EnumValue(RegKey key, std::uint32_t index, wchar_t* name,
                                       std::uint32_t* nameSize) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  const auto& values = handle->node->values;
  if (index >= values.size()) return kRegNoMoreItems;
  return GiveName(values[index].name, name, nameSize);
}

std::int32_t MemoryRegistry::QueryInfoKey(RegKey key, RegKeyInfo& info) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  info = RegKeyInfo{};
  for (const auto& child : handle->node->children) {
    info.longestSubKeyName =
        std::max(info.longestSubKeyName, static_cast<std::uint32_t>(child->name.size()));
  }
  for (const auto& value : handle->node->values) {
    info.longestValueName =
        std::max(info.longestValueName, static_cast<std::uint32_t>(value.name.size()));
  }
  info.subKeys = static_cast<std::uint32_t>(handle->node->children.size());
  info.values = static_cast<std::uint32_t>(handle->node->values.size());
  return kRegSuccess;
}

std::uint32_t MemoryRegistry::ExpandEnvironment(const wchar_t* source, wchar_t* destination,
                                                std::uint32_t size) {
  if (!source) return 0;
  std::wstring text(source), expanded;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t open = text.find(L'%', at);
    std::size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) {
      expanded.append(text, at, std::wstring::npos);
      break;
    }
    expanded.append(text, at, open - at);
    auto variable = environment_.find(UpperName(text.substr(open + 1, close - open - 1)));
    if (variable != environment_.end()) {
      expanded += variable->second;
      at = close + 1;
    } else {
      // An unknown name stays as written; its closing "%" may open the next reference.
      expanded.append(text, open, close - open);
      at = close;
    }
  }
  auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
  if (destination && size >= needed)
    std::copy(expanded.c_str(), expanded.c_str() + needed, destination);
  return needed;
}

}  // namespace corvalinde::platform::inmemory
