// Work that answers messages while it runs (a registration host, the catalogue's load, a
// search, a menu or a box of the browser's): the window whose code runs it must not go away
// under it, so a close that arrives meanwhile (from a module, from "Esci", from another
// program) is put off until the outermost work is over, then sent again.
#pragma once

#include <windows.h>

namespace corvalinde::platform::win32 {

class WorkInProgress {
 public:
  WorkInProgress();
  ~WorkInProgress();
  WorkInProgress(const WorkInProgress&) = delete;
  WorkInProgress& operator=(const WorkInProgress&) = delete;
};

// While work is in progress: remembers to post WM_CLOSE to `window` once it is over, and
// says true. Otherwise false: the caller closes now.
bool PutOffCloseWhileWorking(HWND window);

}  // namespace corvalinde::platform::win32
