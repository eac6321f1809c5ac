// What the interface thread does while it waits for something that may take seconds (a
// registration host): it keeps answering messages, so its windows repaint, but takes no input,
// as under a modal window; past one second a small window says what is going on and for how
// long, with the busy cursor. With nothing to say (a silent run, before any window of its own)
// it only waits.
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
  // Nothing to say is a silent run's, which waits before any window of its own: with no
  // messages to run, it just waits (without bringing in the window manager's DLLs).
  bool plain_ = activity_.empty();
  HWND window_ = nullptr;
  HWND time_ = nullptr;
  long long shownSeconds_ = -1;
};

}  // namespace corvalinde::platform::win32
