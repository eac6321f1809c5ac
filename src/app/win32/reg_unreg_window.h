// frmRegUnreg's window: a thin view over RegUnregDialog, modal over the tray's main window.
#pragma once

#include <windows.h>

namespace corvalinde {

bool RegisterRegUnregClass();
void ShowRegUnregDialog(HWND owner);

}  // namespace corvalinde
