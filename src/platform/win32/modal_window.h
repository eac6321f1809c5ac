// What every modal window of the program shares: the dialog font, centring on the screen, and
// the modal loop that keeps the owner disabled until the window is gone.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace corvalinde::platform::win32 {

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

// Runs the messages waiting for this thread, once (VB's DoEvents); a quit request is kept for
// the main loop.
void ProcessPendingMessages();

// Shows `window`, gives `focus` the keyboard, and runs messages (with dialog keyboard handling)
// until the window is destroyed; the owner is disabled meanwhile.
void RunModal(HWND window, HWND owner, HWND focus = nullptr);

// Closes a modal window, enabling its owner first so that the owner, not some other program,
// becomes the active window again.
void EndModal(HWND window);

// The modal window open now (the innermost), or null; and bringing it, or the box it shows,
// to the front.
HWND CurrentModalWindow();
void BringModalToFront();

}  // namespace corvalinde::platform::win32
