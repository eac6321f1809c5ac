#include "platform/win32/window_skeleton.h"

#include <algorithm>
#include <string>

#include "platform/win32/dpi.h"

namespace corvalinde::platform::win32 {

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon, LPCWSTR cursor) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, cursor);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

namespace {

// Centred in the primary monitor's work area, within it as far as `resizable` allows.
RECT PlaceInWorkArea(RECT frame, bool resizable) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (resizable) {
    width = std::min(width, workWidth);
    height = std::min(height, workHeight);
  }
  int x = work.left + std::max(0, (workWidth - width) / 2);
  int y = work.top + std::max(0, (workHeight - height) / 2);
  return RECT{x, y, x + width, y + height};
}

}  // namespace

HWND CreateCentredWindow(const wchar_t* windowClass, std::wstring_view caption, DWORD style,
                         DWORD exStyle, int clientWidth, int clientHeight, HWND owner,
                         void* createParam) {
  bool resizable = (style & WS_THICKFRAME) != 0;
  int dpi = SystemDpi();
  RECT place =
      PlaceInWorkArea(FrameForClient(clientWidth, clientHeight, style, exStyle, dpi), resizable);
  HWND window =
      CreateWindowExW(exStyle, windowClass, std::wstring(caption).c_str(), style, place.left,
                      place.top, place.right - place.left, place.bottom - place.top, owner, nullptr,
                      GetModuleHandleW(nullptr), createParam);
  if (!window) return nullptr;
  // Its controls were made at the DPI it opened on; on another monitor than the primary one
  // that is not the one its frame was measured for.
  int opened = DpiOf(window);
  NoteLayoutDpi(window, opened);
  if (opened != dpi) {
    RECT frame = FrameForClient(clientWidth, clientHeight, style, exStyle, opened);
    RECT now{};
    GetWindowRect(window, &now);
    OffsetRect(&frame, now.left - frame.left, now.top - frame.top);
    Rescale(window, opened, frame);
  }
  return window;
}

HWND CreateControl(HWND parent, const wchar_t* controlClass, std::wstring_view text, DWORD style,
                   int x, int y, int width, int height, int id) {
  int dpi = DpiOf(parent);
  HWND control = CreateWindowExW(
      0, controlClass, std::wstring(text).c_str(), WS_CHILD | WS_VISIBLE | style, Scaled(x, dpi),
      Scaled(y, dpi), Scaled(width, dpi), Scaled(height, dpi), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi)), FALSE);
  return control;
}

}  // namespace corvalinde::platform::win32
