// What every window of the program is built from: its class, its state behind its handle, its
// place on the screen, its controls in the dialog font, the light-yellow boxes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/unique_handle.h"

namespace corvalinde::platform::win32 {

// The state a window keeps in GWLP_USERDATA. At WM_CREATE it is attached from the last
// argument CreateWindowEx was given; before that, and after WM_NCDESTROY cleared it, null.
template <typename State>
State* StateOf(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
template <typename State>
State* AttachState(HWND window, LPARAM createStruct) {
  auto* state =
      static_cast<State*>(reinterpret_cast<const CREATESTRUCTW*>(createStruct)->lpCreateParams);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  return state;
}

inline constexpr COLORREF kLightYellow = RGB(255, 255, 192);

// The brush of the light-yellow text boxes, made with the window's state and freed with it.
class LightYellowBrush {
 public:
  // For WM_CTLCOLOREDIT: the box's background, light yellow.
  LRESULT Paint(WPARAM deviceContext) const {
    SetBkColor(reinterpret_cast<HDC>(deviceContext), kLightYellow);
    return reinterpret_cast<LRESULT>(brush_.get());
  }

 private:
  UniqueBrush brush_{CreateSolidBrush(kLightYellow)};
};

// Registers a window class of the program with the usual background and cursor.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr,
                         LPCWSTR cursor = IDC_ARROW);

// A window's text (a caption, an edit box's content).
std::wstring TextOf(HWND window);

// A top-level window of `clientWidth` x `clientHeight` (pixels at 96 DPI, scaled to the DPI
// it opens on), centred in the work area, owned by `owner` so it has no taskbar button of its
// own. A resizable one (WS_THICKFRAME) opens no larger than the work area; any other keeps its
// size but its caption stays on the screen.
HWND CreateCentredWindow(const wchar_t* windowClass, std::wstring_view caption, DWORD style,
                         DWORD exStyle, int clientWidth, int clientHeight, HWND owner,
                         void* createParam);

// A child control with the dialog font, placed in pixels at 96 DPI scaled to its parent's DPI.
HWND CreateControl(HWND parent, const wchar_t* controlClass, std::wstring_view text, DWORD style,
                   int x, int y, int width, int height, int id);

}  // namespace corvalinde::platform::win32
