// The browser list's columns: widths that fit their content (a whole GUID, a short column's
// header), the widths the user dragged kept for the rest of the session, and the header's sort
// arrow.
#pragma once

#include <windows.h>

#include <optional>

#include "browser/module_catalogue.h"

namespace corvalinde {

// The widths the user left last time in this session, else widths that fit the rows.
void SetColumnWidths(HWND list, const ModuleCatalogue& catalogue);
// Keeps the list's widths for the next time the browser opens in this session.
void RememberColumnWidths(HWND list);
void ShowSortArrow(HWND list, std::optional<std::size_t> column, bool descending);

}  // namespace corvalinde
