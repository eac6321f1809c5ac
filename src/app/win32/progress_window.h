// frmProgress: the one progress window, created on first use and then only shown and hidden.
#pragma once

#include <windows.h>

#include "browser/progress_window.h"

namespace corvalinde {

bool RegisterProgressClass();
ProgressWindow& SharedProgressWindow();

}  // namespace corvalinde
