#include "platform/inmemory/memory_registry.h"

#include <algorithm>
#include <cstring>

namespace corvalinde::platform::inmemory {

struct MemoryRegistry::Node {
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

  // The child of that name, found by binary search; null when there is none.
  std::shared_ptr<Node> Child(const std::string& upper) const {
    auto at = LowerBound(upper);
    return at != children.end() && (*at)->upperName == upper ? *at : nullptr;
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
unsigned char Upper(unsigned char c) {
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

std::string UpperName(const std::string& name) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
  return upper;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperName(a) == UpperName(b);
}

// Splits "a\b\c"; false for an empty component inside a non-empty path.
bool SplitPath(const std::string& path, std::vector<std::string>& parts) {
  parts.clear();
  if (path.empty()) return true;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = path.find('\\', start);
    std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (end == std::string::npos) {
      // One trailing "\" is tolerated, as Windows does.
      if (!part.empty()) parts.push_back(part);
      return !parts.empty();
    }
    if (part.empty()) return false;
    parts.push_back(part);
    start = end + 1;
  }
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
    roots_[root] = node;
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

std::int32_t MemoryRegistry::Resolve(RegKey key, std::uint32_t rights, Handle& handle) const {
  if (auto root = roots_.find(key); root != roots_.end()) {
    handle = Handle{root->second, kKeyAllAccess};
  } else if (auto open = handles_.find(key); open != handles_.end()) {
    handle = open->second;
  } else {
    return kRegInvalidHandle;
  }
  if (handle.node->deleted) return kRegKeyDeleted;
  if ((handle.access & rights) != rights) return kRegAccessDenied;
  return kRegSuccess;
}

RegKey MemoryRegistry::AddHandle(std::shared_ptr<Node> node, std::uint32_t access) {
  RegKey key = nextHandle_;
  nextHandle_ += 4;
  handles_[key] = Handle{std::move(node), access};
  return key;
}

std::int32_t MemoryRegistry::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                                     RegKey& opened) {
  opened = 0;
  Handle handle;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  std::vector<std::string> parts;
  if (!SplitPath(subKey, parts)) return kRegNotFound;
  std::shared_ptr<Node> node = handle.node;
  for (const std::string& part : parts) {
    node = node->Child(UpperName(part));
    if (!node) return kRegNotFound;
  }
  if ((access & kWriteRights) && IsReadOnly(*node)) return kRegAccessDenied;
  opened = AddHandle(node, access);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::CreateKey(RegKey parent, const std::string& subKey,
                                       std::uint32_t access, RegKey& opened) {
  opened = 0;
  Handle handle;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  std::vector<std::string> parts;
  if (!SplitPath(subKey, parts)) return kRegBadPathName;
  for (const std::string& part : parts) {
    if (part.size() > kMaxKeyNameLength) return kRegInvalidParameter;
  }
  std::shared_ptr<Node> node = handle.node;
  std::size_t depth = 0;
  for (const std::string& part : parts) {
    std::string upper = UpperName(part);
    if (std::shared_ptr<Node> child = node->Child(upper)) {
      node = child;
    } else {
      if (IsReadOnly(*node)) return kRegAccessDenied;
      if (depth == 0 && !(handle.access & kKeyCreateSubKey)) return kRegAccessDenied;
      auto created = std::make_shared<Node>();
      created->name = part;
      created->upperName = upper;
      created->root = node->root;
      created->parent = node.get();
      node->children.insert(node->LowerBound(upper), created);
      node = created;
    }
    ++depth;
  }
  if ((access & kWriteRights) && IsReadOnly(*node)) return kRegAccessDenied;
  opened = AddHandle(node, access);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::CloseKey(RegKey key) {
  if (roots_.count(key)) return kRegSuccess;
  return handles_.erase(key) ? kRegSuccess : kRegInvalidHandle;
}

std::int32_t MemoryRegistry::SetValue(RegKey key, const char* name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
  Handle handle;
  if (std::int32_t status = Resolve(key, kKeySetValue, handle)) return status;
  if (IsReadOnly(*handle.node)) return kRegAccessDenied;
  if (size && !data) return kRegInvalidParameter;
  // Like Windows' 8-bit call: a string whose NUL was left out of the count, though it follows
  // the data, is stored with its NUL.
  if (IsStringType(type) && size && data[size - 1] && !data[size]) ++size;
  std::string valueName = name ? name : "";
  auto& values = handle.node->values;
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
  Handle handle;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  if (data && !size) return kRegInvalidParameter;
  std::string valueName = name ? name : "";
  const auto& values = handle.node->values;
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
  Handle handle;
  if (std::int32_t status = Resolve(key, kKeySetValue, handle)) return status;
  if (IsReadOnly(*handle.node)) return kRegAccessDenied;
  std::string valueName = name ? name : "";
  auto& values = handle.node->values;
  auto value = std::find_if(values.begin(), values.end(),
                            [&](const auto& v) { return SameName(v.name, valueName); });
  if (value == values.end()) return kRegNotFound;
  values.erase(value);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::DeleteKey(RegKey parent, const std::string& subKey) {
  RegKey target = 0;
  if (std::int32_t status = OpenKey(parent, subKey, kKeyDelete, target)) return status;
  std::shared_ptr<Node> node = handles_[target].node;
  CloseKey(target);
  if (!node->parent || !node->children.empty()) return kRegAccessDenied;
  auto& siblings = node->parent->children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), node));
  node->deleted = true;
  node->parent = nullptr;
  return kRegSuccess;
}

std::int32_t MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                                     std::uint32_t nameSize) {
  Handle handle;
  if (std::int32_t status = Resolve(key, kKeyEnumerateSubKeys, handle)) return status;
  const auto& children = handle.node->children;
  if (index >= children.size()) return kRegNoMoreItems;
  const std::string& childName = children[index]->name;
  if (!name || childName.size() + 1 > nameSize) return kRegMoreData;
  std::memcpy(name, childName.c_str(), childName.size() + 1);
  return kRegSuccess;
}

std::int32_t MemoryRegistry::EnumValue(RegKey key, std::uint32_t index, char* name,
                                       std::uint32_t* nameSize) {
  Handle handle;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  if (!nameSize) return kRegInvalidParameter;
  const auto& values = handle.node->values;
  if (index >= values.size()) return kRegNoMoreItems;
  const std::string& valueName = values[index].name;
  if (!name || valueName.size() + 1 > *nameSize) return kRegMoreData;
  std::memcpy(name, valueName.c_str(), valueName.size() + 1);
  *nameSize = static_cast<std::uint32_t>(valueName.size());
  return kRegSuccess;
}

std::int32_t MemoryRegistry::QueryInfoKey(RegKey key, std::uint32_t* longestValueName) {
  Handle handle;
  if (std::int32_t status = Resolve(key, kKeyQueryValue, handle)) return status;
  std::size_t longest = 0;
  for (const auto& value : handle.node->values) longest = std::max(longest, value.name.size());
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
