// The browser list's columns: widths that fit their content (a whole GUID, a short column's
// header), the widths the user dragged kept for the rest of the session, and the header's sort
// arrow.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "browser/module_catalogue.h"

namespace corvalinde {

// The widths the user left last time in this session, else widths that fit the rows.
void SetColumnWidths(HWND list, const ModuleCatalogue& catalogue);
// Widens the columns the file checks fill ("Stato", "Versione file", "Produttore") to fit what
// a batch of them says, never narrower, unless the user's widths stand.
void FitFileFactColumns(HWND list, const std::vector<ModuleCatalogue::FileFacts>& facts);
// Keeps the list's widths for the next time the browser opens in this session.
void RememberColumnWidths(HWND list);
void ShowSortArrow(HWND list, std::optional<std::size_t> column, bool descending);

}  // namespace corvalinde
