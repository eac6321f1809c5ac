// The browser's clean-up, as its buttons and context menu run it: removing what is left of
// classes whose file is gone (asked first, after a backup), and writing a .reg file of classes
// back (shown and asked first). The machine's keys go through an elevated host when this
// process has no administrator rights: one prompt, and refusing it does nothing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "browser/module_catalogue.h"
#include "platform/registry.h"

namespace corvalinde {

// For the classes of `rows` whose file is missing; true when the registry may have changed.
bool RemoveOrphans(HWND window, platform::Registry& registry, const ModuleCatalogue& catalogue,
                   const std::vector<std::size_t>& rows);
// Asks for the file; true when the registry may have changed.
bool RestoreFromRegFile(HWND window, platform::Registry& registry);

}  // namespace corvalinde
