// Sizes that follow the DPI of the monitor a window is on. The manifest declares per-monitor
// awareness, so Windows scales nothing for the program: every window lays itself out from its
// own DPI, and again when it is moved to a monitor with another (WM_DPICHANGED).
#pragma once

#include <windows.h>

namespace corvalinde::platform::win32 {

// The DPI of the primary monitor when the program started (what message boxes use).
int SystemDpi();

// The DPI `window` is on: GetDpiForWindow where the system has it, else the system DPI.
int DpiOf(HWND window);

// Pixels at 96 DPI, at `dpi`; and at the DPI `window` is on.
int Scaled(int pixels, int dpi);
int ScaledFor(HWND window, int pixels);

// A font of the program at `dpi`, made once and kept for the whole process (a handful of
// fonts at a handful of DPIs). A zero size means the font Windows uses for message boxes.
struct FontSpec {
  int tenthsOfPoint = 0;
  bool bold = false;
  bool underline = false;
  const wchar_t* face = L"MS Sans Serif";
};
HFONT FontAt(const FontSpec& spec, int dpi);
HFONT DialogFont(int dpi);

// The window rectangle (at the origin) of a client area of `clientWidth` x `clientHeight`
// pixels at 96 DPI, at `dpi`.
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

// Remembers the DPI a window was laid out for; the next change scales from it.
void NoteLayoutDpi(HWND window, int dpi);

// Lays `window` out again for `dpi`: every child keeps its place and size in proportion, a
// child with one of the program's fonts gets that font at the new DPI, a list view's columns
// keep their proportion; then the window takes `frame` (screen coordinates), which sends
// WM_SIZE to the windows that lay out their children themselves.
void Rescale(HWND window, int dpi, const RECT& frame);

// WM_DPICHANGED: Rescale to the new DPI and the rectangle Windows suggests.
void FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam);

// For window classes with no procedure of their own: follows DPI changes, and the rest is
// DefWindowProc's.
LRESULT CALLBACK ScalingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace corvalinde::platform::win32

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
