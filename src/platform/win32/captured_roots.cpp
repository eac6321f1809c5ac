#include "platform/captured_roots.h"

#include <windows.h>

#include "platform/per_user_classes.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

HKEY AsHkey(RegKey root) {
  return reinterpret_cast<HKEY>(root);
}

}  // namespace

std::uint32_t MapRootsToScratch(const std::wstring& scratchKey) {
  // All keys are made first: once HKEY_CURRENT_USER is mapped, the scratch key is out of sight.
  std::array<win32::UniqueKey, kCapturedRoots.size()> scratch;
  for (std::size_t i = 0; i < kCapturedRoots.size(); ++i) {
    std::wstring path = scratchKey + L"\\" + std::wstring(kCapturedRoots[i].name);
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    scratch[i].reset(key);
  }
  for (std::size_t i = 0; i < kCapturedRoots.size(); ++i) {
    LONG status = RegOverridePredefKey(AsHkey(kCapturedRoots[i].root), scratch[i].get());
    if (status != ERROR_SUCCESS) {
      RestoreCapturedRoots();
      return static_cast<std::uint32_t>(status);
    }
  }
  EnablePerUserTypeLibraries();
  return 0;
}

void RestoreCapturedRoots() {
  for (const CapturedRoot& captured : kCapturedRoots) {
    RegOverridePredefKey(AsHkey(captured.root), nullptr);
  }
}

}  // namespace corvalinde::platform
