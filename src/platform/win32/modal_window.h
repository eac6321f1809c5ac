// Modal windows: opening one centred and running it until it is closed, with its owner
// disabled meanwhile; what its procedure leaves to the default; the one open now.
#pragma once

#include <windows.h>

#include <string_view>

#include "platform/win32/window_skeleton.h"

namespace corvalinde::platform::win32 {

// A modal window of `clientWidth` x `clientHeight` (pixels at 96 DPI), centred (see
// CreateCentredWindow), run until it is closed, with control `focusId` given the keyboard.
// `state` goes to its WM_CREATE.
void ShowModalWindow(const wchar_t* windowClass, std::wstring_view caption, DWORD style,
                     DWORD exStyle, int clientWidth, int clientHeight, HWND owner, void* state,
                     int focusId);

// What a modal window's procedure leaves to the default: a DPI change lays it out again, a
// close request ends the modal loop, and the rest is DefWindowProc's.
LRESULT ModalWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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
