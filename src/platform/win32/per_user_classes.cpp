#include "platform/per_user_classes.h"

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {

std::uint32_t MapClassesRootToCurrentUser() {
  HKEY classes = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &classes, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
  win32::UniqueKey owner(classes);
  status = RegOverridePredefKey(HKEY_CLASSES_ROOT, classes);
  if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
  EnablePerUserTypeLibraries();
  return 0;
}

void EnablePerUserTypeLibraries() {
  if (HMODULE automation = LoadLibraryW(L"oleaut32.dll")) {
    using Enable = void(WINAPI*)();
    if (auto enable = reinterpret_cast<Enable>(reinterpret_cast<void*>(
            GetProcAddress(automation, "OaEnablePerUserTLibRegistration")))) {
      enable();
    }
  }
}

void RestoreClassesRoot() {
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
}

}  // namespace corvalinde::platform
