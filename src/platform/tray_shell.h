// The shell's notification area: one call that adds, changes or removes an icon.
//
// NotifyIcon hands the record to the shell (Win32: Shell_NotifyIconA with the 8-bit record, the
// tip converted through ToAnsi) and says whether the shell accepted it.
// ProcessPendingMessages runs the calling thread's waiting window messages once.
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde::platform {

enum NotifyMessage : std::uint32_t { kNimAdd = 0, kNimModify = 1, kNimDelete = 2 };
enum NotifyFlags : std::uint32_t { kNifMessage = 1, kNifIcon = 2, kNifTip = 4 };

// The ANSI NOTIFYICONDATA of the first shell version: 88 bytes on 32-bit Windows.
struct NotifyIconData {
  std::uint32_t cbSize = 0;
  std::uintptr_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::uintptr_t hIcon = 0;
  std::wstring szTip = std::wstring(64, L'\0');  // 64 characters, one byte each for the shell
};

class TrayShell {
 public:
  virtual ~TrayShell() = default;
  virtual bool NotifyIcon(NotifyMessage message, const NotifyIconData& data) = 0;
  virtual void ProcessPendingMessages() = 0;
};

}  // namespace corvalinde::platform
