#include "platform/inmemory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace corvalinde::platform::inmemory {

struct MemoryRegistry::Node : std::enable_shared_from_this<MemoryRegistry::Node> {
  struct Value {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  std::string name;
  std::string upperName;  // the sort and lookup key
  RegKey root = 0;
  Node* parent = nullptr;
  bool deleted = false;
  std::vector<std::shared_ptr<Node>> children;  // sorted by upperName, as Windows enumerates

  // Keys with many sub-keys (the roots hold thousands) also find them by hash.
  static constexpr std::size_t kIndexedFrom = 64;
  std::unordered_map<std::string, Node*> index;  // upperName -> child, once there are many

  // The child of that (upper-cased) name; null when there is none.
  Node* Child(const std::string& upper) const {
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
  std::vector<std::shared_ptr<Node>>::const_iterator LowerBound(const std::string& upper) const {
    return std::lower_bound(
        children.begin(), children.end(), upper,
        [](const auto& child, const std::string& key) { return child->upperName < key; });
  }
  std::vector<Value> values;  // in the order first set
};

namespace {

constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink |
                                       kKeyDelete | 0x00040000 /* WRITE_DAC */ |
                                       0x00080000 /* WRITE_OWNER */;
constexpr std::size_t kMaxKeyNameLength = 255;

// Upper case as the registry compares names: ASCII and the letters of Windows-1252.
constexpr unsigned char UpperOf(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return c;
  }
}

struct UpperTable {
  unsigned char of[256];
  constexpr UpperTable() : of() {
    for (int c = 0; c < 256; ++c) of[c] = UpperOf(static_cast<unsigned char>(c));
  }
};
constexpr UpperTable kUpper;

unsigned char Upper(unsigned char c) {
  return kUpper.of[c];
}

std::string UpperName(const std::string& name) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
  return upper;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(static_cast<unsigned char>(a[i])) != Upper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Walks "a\b\c" one upper-cased name at a time; false for an empty name inside a non-empty
// path (one trailing "\" is tolerated, as Windows does).
template <typename Visit>
bool ForEachName(const std::string& path, Visit visit) {
  std::string upper;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end == start) return false;
    upper.assign(path, start, end - start);
    for (char& c : upper) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
    if (!visit(std::string_view(path).substr(start, end - start), upper)) return true;
    start = end + 1;
  }
  return true;
}

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
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

void MemoryRegistry::DefineEnvironmentVariable(const std::string& name, const std::string& value) {
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

std::int32_t MemoryRegistry::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                     RegKey& opened) {
  opened = 0;
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  Node* node = handle->node.get();
  bool valid = ForEachName(subKey, [&](std::string_view, const std::string& upper) {
    node = node->Child(upper);
    return node != nullptr;
  });
  if (!valid || !node) return kRegNotFound;
  if ((access & kWriteRights) && IsReadOnly(*node)) return kRegAccessDenied;
  opened = AddHandle(node->shared_from_this(), access);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::CreateKey(RegKey parent, const std::string& subKey,
                                       std::uint32_t access, RegKey& opened) {
  opened = 0;
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  bool tooLong = false;
  if (!ForEachName(subKey, [&](std::string_view name, const std::string&) {
        tooLong = tooLong || name.size() > kMaxKeyNameLength;
        return true;
      })) {
    return kRegBadPathName;
  }
  if (tooLong) return kRegInvalidParameter;
  Node* node = handle->node.get();
  std::size_t depth = 0;
  std::int32_t refused = kRegSuccess;
  ForEachName(subKey, [&](std::string_view name, const std::string& upper) {
    if (Node* child = node->Child(upper)) {
      node = child;
    } else if (IsReadOnly(*node) || (depth == 0 && !(handle->access & kKeyCreateSubKey))) {
      refused = kRegAccessDenied;
      return false;
    } else {
      auto created = std::make_shared<Node>();
      created->name = std::string(name);
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

std::int32_t MemoryRegistry::SetValue(RegKey key, const char* name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeySetValue, handle)) return status;
  if (IsReadOnly(*handle->node)) return kRegAccessDenied;
  if (size && !data) return kRegInvalidParameter;
  // Like Windows' 8-bit call: a string whose NUL was left out of the count, though it follows
  // the data, is stored with its NUL.
  if (IsStringType(type) && size && data[size - 1] && !data[size]) ++size;
  std::string valueName = name ? name : "";
  auto& values = handle->node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, valueName); });
  std::vector<std::uint8_t> bytes(data, data + size);
  if (value != values.end()) {
    value->type = type;
    value->data = std::move(bytes);
  } else {
    values.push_back({valueName, type, std::move(bytes)});
  }
  return kRegSuccess;
}

std::int32_t MemoryRegistry::QueryValue(RegKey key, const char* name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  if (data && !size) return kRegInvalidParameter;
  std::string valueName = name ? name : "";
  const auto& values = handle->node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, valueName); });
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

std::int32_t MemoryRegistry::DeleteValue(RegKey key, const char* name) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeySetValue, handle)) return status;
  if (IsReadOnly(*handle->node)) return kRegAccessDenied;
  std::string valueName = name ? name : "";
  auto& values = handle->node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, valueName); });
  if (value == values.end()) return kRegNotFound;
  values.erase(value);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::DeleteKey(RegKey parent, const std::string& subKey) {
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

std::int32_t MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                                     std::uint32_t nameSize) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyEnumerateSubKeys, handle)) return status;
  const auto& children = handle->node->children;
  if (index >= children.size()) return kRegNoMoreItems;
  const std::string& childName = children[index]->name;
  if (!name || childName.size() + 1 > nameSize) return kRegMoreData;
  std::memcpy(name, childName.c_str(), childName.size() + 1);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::EnumValue(RegKey key, std::uint32_t index, char* name,
                                       std::uint32_t* nameSize) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  if (!nameSize) return kRegInvalidParameter;
  const auto& values = handle->node->values;
  if (index >= values.size()) return kRegNoMoreItems;
  const std::string& valueName = values[index].name;
  if (!name || valueName.size() + 1 > *nameSize) return kRegMoreData;
  std::memcpy(name, valueName.c_str(), valueName.size() + 1);
  *nameSize = static_cast<std::uint32_t>(valueName.size());
  return kRegSuccess;
}

std::int32_t MemoryRegistry::QueryInfoKey(RegKey key, std::uint32_t* longestValueName) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  std::size_t longest = 0;
  for (const auto& value : handle->node->values) longest = std::max(longest, value.name.size());
  if (longestValueName) *longestValueName = static_cast<std::uint32_t>(longest);
  return kRegSuccess;
}

std::uint32_t MemoryRegistry::ExpandEnvironment(const char* source, char* destination,
                                                std::uint32_t size) {
  if (!source) return 0;
  std::string text(source), expanded;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t open = text.find('%', at);
    std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      expanded.append(text, at, std::string::npos);
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
  if (destination && size >= needed) std::memcpy(destination, expanded.c_str(), needed);
  return needed;
}

}  // namespace corvalinde::platform::inmemory
