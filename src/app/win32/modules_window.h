// frmModuli's window: a thin view over ModuleCatalogue, modeless and single: showing it while
// it is open only brings it forward.
#pragma once

#include <windows.h>

#include "platform/registry.h"

namespace corvalinde {

bool RegisterModulesClass(HINSTANCE instance);
void ShowModulesWindow(platform::Registry& registry);
// Keyboard navigation (Tab, arrows) for the browser, from the program's message loop.
bool ModulesWindowMessage(MSG* message);

}  // namespace corvalinde
