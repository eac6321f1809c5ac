#include "platform/win32/modal_window.h"

#include <string>
#include <utility>

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

HFONT DialogFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }();
  return font;
}

int Scaled(int pixels) {
  static int dpi = [] {
    HDC screen = GetDC(nullptr);
    int value = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return value;
  }();
  return MulDiv(pixels, dpi, 96);
}

HWND CreateCentredWindow(const wchar_t* windowClass, std::wstring_view caption, DWORD style,
                         DWORD exStyle, int clientWidth, int clientHeight, HWND owner,
                         void* createParam) {
  RECT frame{0, 0, Scaled(clientWidth), Scaled(clientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  return CreateWindowExW(exStyle, windowClass, std::wstring(caption).c_str(), style,
                         (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner,
                         nullptr, GetModuleHandleW(nullptr), createParam);
}

HWND CreateControl(HWND parent, const wchar_t* controlClass, std::wstring_view text, DWORD style,
                   int x, int y, int width, int height, int id) {
  HWND control = CreateWindowExW(
      0, controlClass, std::wstring(text).c_str(), WS_CHILD | WS_VISIBLE | style, Scaled(x),
      Scaled(y), Scaled(width), Scaled(height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
  return control;
}

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

}  // namespace corvalinde::platform::win32

namespace corvalinde::platform::win32 {

void EndModal(HWND window) {
  if (HWND owner = GetWindow(window, GW_OWNER)) EnableWindow(owner, TRUE);
  DestroyWindow(window);
}

}  // namespace corvalinde::platform::win32
