#include "platform/inmemory/memory_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/inmemory/memory_node.h"

namespace corvalinde::platform::inmemory {

namespace {

using namespace detail;

// The path a 32-bit program's view gives a key of the classes: "CLSID\…" and "Interface\…" lie
// under the classes' WOW6432Node; every other key is shared.
std::wstring InThirtyTwoBitView(RegKey root, std::wstring_view subKey) {
  std::wstring path(subKey);
  std::size_t classes = 0;
  if (root != kHkeyClassesRoot) {
    constexpr std::wstring_view kClasses = L"SOFTWARE\\CLASSES\\";
    if (root != kHkeyLocalMachine && root != kHkeyCurrentUser) return path;
    if (path.size() < kClasses.size() || UpperName(path.substr(0, kClasses.size())) != kClasses) {
      return path;
    }
    classes = kClasses.size();
  }
  std::wstring rest = UpperName(path.substr(classes));
  for (std::wstring_view redirected : {L"CLSID", L"INTERFACE"}) {
    if (rest.compare(0, redirected.size(), redirected) == 0 &&
        (rest.size() == redirected.size() || rest[redirected.size()] == L'\\')) {
      return path.insert(classes, L"WOW6432Node\\");
    }
  }
  return path;
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
  for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig}) {
    auto node = std::make_shared<Node>();
    node->root = root;
    roots_[root] = Handle{node, kKeyAllAccess};
  }
  Node* classes[2] = {};
  for (int side = 0; side < 2; ++side) {
    CreatePath(roots_[side == 0 ? kHkeyCurrentUser : kHkeyLocalMachine].node.get(), true,
               L"Software\\Classes", classes[side]);
  }
  roots_[kHkeyClassesRoot] = Merged(classes[0], classes[1], kKeyAllAccess);
}

MemoryRegistry::Handle MemoryRegistry::Merged(Node* user, Node* machine, std::uint32_t access) {
  Handle handle;
  handle.merged = true;
  handle.access = access;
  if (user) handle.user = user->shared_from_this();
  if (machine) handle.machine = machine->shared_from_this();
  handle.node = handle.user ? handle.user : handle.machine;
  return handle;
}

const std::vector<std::wstring>& MemoryRegistry::MergedNames(const Handle& handle,
                                                             bool fresh) const {
  if (!fresh && !handle.mergedNames.empty()) return handle.mergedNames;
  handle.mergedNames.clear();
  static const std::vector<std::shared_ptr<Node>> kNone;
  const auto& user = handle.user ? handle.user->children : kNone;
  const auto& machine = handle.machine ? handle.machine->children : kNone;
  // Both are sorted as Windows sorts: one pass, each name once (the user's spelling first).
  auto u = user.begin(), m = machine.begin();
  while (u != user.end() || m != machine.end()) {
    if (m == machine.end() || (u != user.end() && (*u)->upperName <= (*m)->upperName)) {
      if (m != machine.end() && (*u)->upperName == (*m)->upperName) ++m;
      handle.mergedNames.push_back((*u++)->name);
    } else {
      handle.mergedNames.push_back((*m++)->name);
    }
  }
  return handle.mergedNames;
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

RegKey MemoryRegistry::AddHandle(Handle handle) {
  std::size_t slot = handles_.size();
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    handles_.emplace_back();
  }
  handles_[slot] = std::move(handle);
  return kFirstHandle + static_cast<RegKey>(slot) * 4;
}

std::int32_t MemoryRegistry::OpenKey(RegKey parent, std::wstring_view subKey, std::uint32_t access,
                                     RegKey& opened) {
  opened = 0;
  if (HoldsNul(subKey)) return kRegInvalidParameter;
  std::wstring viewed;
  if (access & kKeyWow64_32Key) {
    viewed = InThirtyTwoBitView(parent, subKey);
    subKey = viewed;
  }
  access &= ~static_cast<std::uint32_t>(kKeyWow64_32Key | kKeyWow64_64Key);
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(parent, 0, handle)) return status;
  Handle found;
  if (handle->merged) {
    found = Merged(Walk(handle->user.get(), subKey), Walk(handle->machine.get(), subKey), access);
  } else if (Node* node = Walk(handle->node.get(), subKey)) {
    found = Handle{node->shared_from_this(), access};
  }
  if (!found.node) return kRegNotFound;
  if ((access & kWriteRights) && IsReadOnly(*found.node)) return kRegAccessDenied;
  opened = AddHandle(std::move(found));
  return kRegSuccess;
}

std::int32_t MemoryRegistry::CreatePath(Node* start, bool mayCreateBelowStart,
                                        std::wstring_view path, Node*& created) {
  Node* node = start;
  std::size_t depth = 0;
  std::int32_t refused = kRegSuccess;
  ForEachName(path, [&](std::wstring_view name, const std::wstring& upper) {
    if (Node* child = node->Child(upper)) {
      node = child;
    } else if (IsReadOnly(*node) || (depth == 0 && !mayCreateBelowStart)) {
      refused = kRegAccessDenied;
      return false;
    } else {
      auto fresh = std::make_shared<Node>();
      fresh->name = std::wstring(name);
      fresh->upperName = upper;
      fresh->root = node->root;
      fresh->parent = node;
      node->Insert(fresh);
      node = fresh.get();
    }
    ++depth;
    return true;
  });
  created = node;
  return refused;
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
  bool mayCreate = (handle->access & kKeyCreateSubKey) != 0;
  Handle made;
  if (handle->merged) {
    // Below the deepest key of the path that exists, on the side that has it: the user's
    // classes when they go as deep as the machine's, else the machine's.
    std::size_t userDepth = 0, machineDepth = 0, depth = 0;
    Node* u = handle->user.get();
    Node* m = handle->machine.get();
    ForEachName(subKey, [&](std::wstring_view, const std::wstring& upper) {
      ++depth;
      u = u ? u->Child(upper) : nullptr;
      m = m ? m->Child(upper) : nullptr;
      if (u) userDepth = depth;
      if (m) machineDepth = depth;
      return u || m;
    });
    bool userSide = !handle->machine || (userDepth > 0 && userDepth >= machineDepth);
    Node* node = nullptr;
    if (std::int32_t status = CreatePath(userSide ? handle->user.get() : handle->machine.get(),
                                         mayCreate, subKey, node)) {
      return status;
    }
    Node* user = userSide ? node : Walk(handle->user.get(), subKey);
    made = Merged(user, Walk(handle->machine.get(), subKey), access);
  } else {
    Node* node = nullptr;
    if (std::int32_t status = CreatePath(handle->node.get(), mayCreate, subKey, node)) {
      return status;
    }
    made = Handle{node->shared_from_this(), access};
  }
  if ((access & kWriteRights) && IsReadOnly(*made.node)) return kRegAccessDenied;
  opened = AddHandle(std::move(made));
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
  std::int32_t status = DeleteOpenKey(target);
  CloseKey(target);
  return status;
}

std::int32_t MemoryRegistry::DeleteOpenKey(RegKey key) {
  const Handle* handle = nullptr;
  if (std::int32_t status = Resolve(key, kKeyDelete, handle)) return status;
  std::shared_ptr<Node> node = handle->node;
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
  if (handle->merged) {
    const auto& names = MergedNames(*handle, index == 0);
    if (index >= names.size()) return kRegNoMoreItems;
    return GiveName(names[index], name, nameSize);
  }
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
  if (handle->merged) {
    for (const std::wstring& child : MergedNames(*handle, true)) {
      info.longestSubKeyName =
          std::max(info.longestSubKeyName, static_cast<std::uint32_t>(child.size()));
    }
    info.subKeys = static_cast<std::uint32_t>(handle->mergedNames.size());
  } else {
    for (const auto& child : handle->node->children) {
      info.longestSubKeyName =
          std::max(info.longestSubKeyName, static_cast<std::uint32_t>(child->name.size()));
    }
    info.subKeys = static_cast<std::uint32_t>(handle->node->children.size());
  }
  for (const auto& value : handle->node->values) {
    info.longestValueName =
        std::max(info.longestValueName, static_cast<std::uint32_t>(value.name.size()));
  }
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
