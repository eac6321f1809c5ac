// What the program's windows share besides their controls: the state each keeps behind its
// handle, the light-yellow boxes, and the modal windows' opening and closing.
#pragma once

#include <windows.h>

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

// A modal window of `clientWidth` x `clientHeight` (pixels at 96 DPI), centred (see
// CreateCentredWindow), run until it is closed, with control `focusId` given the keyboard.
// `state` goes to its WM_CREATE.
void ShowModalWindow(const wchar_t* windowClass, std::wstring_view caption, DWORD style,
                     DWORD exStyle, int clientWidth, int clientHeight, HWND owner, void* state,
                     int focusId);

// What a modal window's procedure leaves to the default: a DPI change lays it out again, a
// close request ends the modal loop, and the rest is DefWindowProc's.
LRESULT ModalWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace corvalinde::platform::win32
