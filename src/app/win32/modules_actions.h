// The browser's context menu, and what of it only Windows does: copy (Ctrl+C and the menu) and
// the module's folder in Explorer. The rest of the menu's actions are browser_actions.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "browser/module_catalogue.h"

namespace corvalinde {

enum class RowAction { None, Copy, Export, OpenFolder, Unregister, Verify, RemoveOrphans, Restore };

// The context menu at `at` (screen coordinates); what the user chose. `verifiable`: an
// in-process row whose file is there.
RowAction ChooseRowAction(HWND window, POINT at, bool haveRow, bool inProcess, bool verifiable,
                          bool orphan);

void CopyRows(HWND window, const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows);
// Explorer with the file selected.
void OpenModuleFolder(std::wstring file);

}  // namespace corvalinde
