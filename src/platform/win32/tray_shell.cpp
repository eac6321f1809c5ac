#include "platform/win32/tray_shell.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/ansi.h"
#include "platform/win32/modal_window.h"

namespace corvalinde::platform::win32 {

bool SystemTrayShell::NotifyIcon(NotifyMessage message, const NotifyIconData& data) {
  NOTIFYICONDATAA record{};
  // The first version of the record: the tray needs nothing newer. 88 bytes on 32-bit Windows.
  record.cbSize = data.cbSize ? NOTIFYICONDATAA_V1_SIZE : 0;
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = reinterpret_cast<HICON>(data.hIcon);
  std::string tip = ToAnsi(data.szTip);
  std::memcpy(record.szTip, tip.data(), std::min(tip.size(), sizeof(record.szTip)));
  return Shell_NotifyIconA(message, &record) != FALSE;
}

void SystemTrayShell::ProcessPendingMessages() {
  win32::ProcessPendingMessages();
}

}  // namespace corvalinde::platform::win32
