#include "platform/win32/work_in_progress.h"

#include <algorithm>
#include <vector>

namespace corvalinde::platform::win32 {
namespace {

// The interface thread's alone: every window lives there.
int g_depth = 0;
std::vector<HWND> g_closeLater;

}  // namespace

WorkInProgress::WorkInProgress() {
  ++g_depth;
}

WorkInProgress::~WorkInProgress() {
  if (--g_depth > 0) return;
  // Posted, not sent: the code that ran the work is still on the stack and may use the window
  // until it returns to the message loop.
  std::vector<HWND> windows;
  windows.swap(g_closeLater);
  for (HWND window : windows) {
    if (IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
  }
}

bool PutOffCloseWhileWorking(HWND window) {
  if (g_depth == 0) return false;
  if (std::find(g_closeLater.begin(), g_closeLater.end(), window) == g_closeLater.end()) {
    g_closeLater.push_back(window);
  }
  return true;
}

}  // namespace corvalinde::platform::win32
