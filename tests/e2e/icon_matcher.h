// Tells which system icon a message box shows by comparing the pixels on screen with the
// system's own error, exclamation and information icons. Icon handles belong to the process
// that loaded them, so the pixels are all another process can compare.
#pragma once

#include <windows.h>

#include "app_driver.h"

namespace corvalinde::e2e {

SeenIcon RecogniseIcon(HWND iconControl);

}  // namespace corvalinde::e2e
