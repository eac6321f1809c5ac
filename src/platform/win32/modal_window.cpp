#include "platform/win32/modal_window.h"

#include <utility>

#include "platform/win32/dpi.h"

namespace corvalinde::platform::win32 {

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

namespace {
HWND g_modal = nullptr;
}  // namespace

HWND CurrentModalWindow() {
  return g_modal && IsWindow(g_modal) ? g_modal : nullptr;
}

void BringModalToFront() {
  if (HWND modal = CurrentModalWindow()) SetForegroundWindow(GetLastActivePopup(modal));
}

void RunModal(HWND window, HWND owner, HWND focus) {
  HWND outer = std::exchange(g_modal, window);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (focus) SetFocus(focus);
  MSG message;
  while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner) EnableWindow(owner, TRUE);
  g_modal = outer;
}

void EndModal(HWND window) {
  if (HWND owner = GetWindow(window, GW_OWNER)) EnableWindow(owner, TRUE);
  DestroyWindow(window);
}

void ShowModalWindow(const wchar_t* windowClass, std::wstring_view caption, DWORD style,
                     DWORD exStyle, int clientWidth, int clientHeight, HWND owner, void* state,
                     int focusId) {
  HWND window = CreateCentredWindow(windowClass, caption, style, exStyle, clientWidth, clientHeight,
                                    owner, state);
  if (window) RunModal(window, owner, GetDlgItem(window, focusId));
}

LRESULT ModalWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      FollowDpiChange(window, wParam, lParam);
      return 0;
    case WM_CLOSE:
      EndModal(window);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvalinde::platform::win32
