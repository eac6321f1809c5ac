// What the interface thread does while it waits for something that may take seconds (a
// registration host): it keeps answering messages, so its windows repaint, but takes no input,
// as under a modal window; past one second a small window says what is going on and for how
// long, with the busy cursor (unless there is nothing to say: a silent run shows no window, and
// before any window of its own it only waits).
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/work_in_progress.h"

namespace corvalinde::platform::win32 {

class BusyWait {
 public:
  explicit BusyWait(std::wstring activity);
  ~BusyWait();
  BusyWait(const BusyWait&) = delete;
  BusyWait& operator=(const BusyWait&) = delete;

  // Waits for `object` at most `limit`, running messages meanwhile; true when it was signalled.
  bool WaitFor(HANDLE object, DWORD limit);

 private:
  void Pump();

  WorkInProgress working_;
  std::wstring activity_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::vector<HWND> disabled_;
  HWND active_ = nullptr;
  // A thread with no window and nothing to say has no messages to run: it just waits (and
  // does not bring in the display driver, as waiting for messages would).
  bool plain_ = false;
  HWND window_ = nullptr;
  HWND time_ = nullptr;
  long long shownSeconds_ = -1;
};

}  // namespace corvalinde::platform::win32
