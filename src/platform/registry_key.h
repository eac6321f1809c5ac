// An opened registry key that is closed when its owner goes, on every path.
#pragma once

#include <utility>

#include "platform/registry.h"

namespace corvalinde::platform {

class RegistryKey {
 public:
  explicit RegistryKey(Registry& registry) : registry_(&registry) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, 0)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      Close();
      registry_ = other.registry_;
      key_ = std::exchange(other.key_, 0);
    }
    return *this;
  }
  ~RegistryKey() {
    if (key_) registry_->CloseKey(key_);
  }

  std::int32_t Open(RegKey parent, std::wstring_view subKey, std::uint32_t access) {
    Close();
    return registry_->OpenKey(parent, subKey, access, key_);
  }
  std::int32_t Create(RegKey parent, std::wstring_view subKey, std::uint32_t access) {
    Close();
    return registry_->CreateKey(parent, subKey, access, key_);
  }
  void Close() {
    if (key_) registry_->CloseKey(std::exchange(key_, 0));
  }
  RegKey get() const { return key_; }
  // Where a call that opens a key puts it (the key held before is closed first).
  RegKey* Out() {
    Close();
    return &key_;
  }
  explicit operator bool() const { return key_ != 0; }

 private:
  Registry* registry_;
  RegKey key_ = 0;
};

}  // namespace corvalinde::platform
