// The browser's rows as text to copy (tab-separated, for a spreadsheet or a bug report) and as
// files to export: CSV (UTF-8 with a byte-order mark, quoted as RFC 4180 says) or HTML.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "browser/module_catalogue.h"

namespace corvalinde {

// A header line, then one line per row, CRLF after each; `rows` index Rows().
std::wstring RowsAsText(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows);
std::string RowsAsCsv(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows);
std::string RowsAsHtml(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows);

}  // namespace corvalinde
