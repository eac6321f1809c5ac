// frmAbout: the about box, modal over its owner.
#pragma once

#include <windows.h>

namespace corvalinde {

bool RegisterAboutClass();
void ShowAboutBox(HWND owner);

}  // namespace corvalinde
