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

namespace {

// The kernel's name of an open key ("\REGISTRY\USER\<sid>_Classes"): what a link names.
std::wstring KernelName(HKEY key) {
  using QueryKey = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryKey>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
  constexpr int kKeyNameInformation = 3;
  struct {
    ULONG length;
    wchar_t name[1024];
  } info{};
  ULONG size = 0;
  if (!query || query(key, kKeyNameInformation, &info, sizeof info, &size) != 0 ||
      info.length > sizeof info.name) {
    return {};
  }
  return std::wstring(info.name, info.length / sizeof(wchar_t));
}

}  // namespace

std::uint32_t MapMachineToScratch(const std::wstring& scratchKey) {
  HKEY opened = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                KEY_QUERY_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
  win32::UniqueKey classes(opened);
  const std::wstring target = KernelName(classes.get());
  if (target.empty()) return ERROR_PATH_NOT_FOUND;
  const std::wstring machine = scratchKey + L"\\" + kScratchMachine;
  status = RegCreateKeyExW(HKEY_CURRENT_USER, (machine + L"\\Software").c_str(), 0, nullptr, 0,
                           KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
  win32::UniqueKey software(opened);
  // A Windows that refuses the link still keeps the machine's keys out of reach: the classes
  // the module writes there are then named as not applied, like the rest.
  if (RegCreateKeyExW(software.get(), L"Classes", 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &opened,
                      nullptr) == ERROR_SUCCESS) {
    win32::UniqueKey link(opened);
    if (RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                       reinterpret_cast<const BYTE*>(target.data()),
                       static_cast<DWORD>(target.size() * sizeof(wchar_t))) != ERROR_SUCCESS) {
      link.reset();
      RegDeleteKeyW(software.get(), L"Classes");  // a link without a target leads nowhere
    }
  }
  status = RegOpenKeyExW(HKEY_CURRENT_USER, machine.c_str(), 0, KEY_ALL_ACCESS, &opened);
  if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
  win32::UniqueKey root(opened);
  return static_cast<std::uint32_t>(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root.get()));
}

void RestoreMachineRoot() {
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
}

}  // namespace corvalinde::platform
