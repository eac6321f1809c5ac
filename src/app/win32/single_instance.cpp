#include "app/win32/single_instance.h"

#include <string>

#include "app/tray_mode.h"
#include "platform/process.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde {
namespace {

// The tray window of another instance in this folder: it carries the instance name as a
// property, as the same program in another folder does not.
struct TraySearch {
  const std::wstring* instance;
  HWND found;
};

BOOL CALLBACK CheckTrayWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<TraySearch*>(lParam);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (lstrcmpW(className, kMainWindowClass) == 0 && GetPropW(window, search->instance->c_str())) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindTrayWindow(const std::wstring& instance) {
  TraySearch search{&instance, nullptr};
  EnumWindows(CheckTrayWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

bool EndFolderTray(DWORD wait) {
  HWND tray = FindTrayWindow(TrayInstanceName(platform::ExecutableFolder()));
  if (!tray) return true;
  DWORD processId = 0;
  GetWindowThreadProcessId(tray, &processId);
  platform::win32::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  PostMessageW(tray, WM_CLOSE, 0, 0);
  if (!process) return !IsWindow(tray);
  return WaitForSingleObject(process.get(), wait) == WAIT_OBJECT_0;
}

bool ClaimTray(HWND mainWindow, bool openOthersMenu) {
  std::wstring instance = TrayInstanceName(platform::ExecutableFolder());
  HANDLE mutex = CreateMutexW(nullptr, FALSE, (L"Local\\" + instance).c_str());
  if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) {
    SetPropW(mainWindow, instance.c_str(), reinterpret_cast<HANDLE>(1));
    return true;  // held (or, if it could not be made, no worse than having none)
  }
  CloseHandle(mutex);
  if (HWND other = openOthersMenu ? FindTrayWindow(instance) : nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(other, &process);
    AllowSetForegroundWindow(process);  // its menu must be able to take the foreground
    PostMessageW(other, kOpenMenuMessage, 0, 0);
  }
  return false;
}

}  // namespace corvalinde
