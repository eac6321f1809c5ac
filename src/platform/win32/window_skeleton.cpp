#include "platform/win32/window_skeleton.h"

#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"

namespace corvalinde::platform::win32 {

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
