// frmAbout: the about box, modal over its owner.
#pragma once

#include <windows.h>

namespace corvalinde {

bool RegisterAboutClass(HINSTANCE instance);
void ShowAboutBox(HWND owner);

}  // namespace corvalinde
