// What the browser does with its rows besides showing them: copy (Ctrl+C and the context
// menu), export of the rows shown to CSV or HTML, the module's folder in Explorer, and
// unregistering an in-process module.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "browser/module_catalogue.h"

namespace corvalinde {

enum class RowAction { None, Copy, Export, OpenFolder, Unregister, RemoveOrphans, Restore };

// The context menu at `at` (screen coordinates); what the user chose.
RowAction ChooseRowAction(HWND window, POINT at, bool haveRow, bool inProcess, bool orphan);

void CopyRows(HWND window, const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows);
// Asks where; writes the rows shown as CSV or HTML, by the type chosen. A failure is shown.
void ExportShownRows(HWND window, const ModuleCatalogue& catalogue);
// Explorer with the file selected.
void OpenModuleFolder(std::wstring file);
// Asks, then unregisters `file` as the register/unregister dialog would, showing the outcome;
// true when it ran. The paths are copies: the row they come from may be gone once the
// messages that run meanwhile have run.
bool UnregisterModule(HWND window, std::wstring file);

}  // namespace corvalinde
