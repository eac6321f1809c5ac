// frmOpzioni's window: a thin view over OptionsDialog, modal over the tray's main window.
#pragma once

#include <windows.h>

#include "options/opzioni.h"
#include "platform/registry.h"

namespace corvalinde {

bool RegisterOptionsClass();
void ShowOptionsDialog(HWND owner, Opzioni& settings, platform::Registry& registry,
                       const std::wstring& executableFolder);

}  // namespace corvalinde
