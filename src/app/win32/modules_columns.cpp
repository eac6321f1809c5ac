#include "app/win32/modules_columns.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "platform/win32/dpi.h"

namespace corvalinde {
namespace {

// At 96 DPI; zero until the user has had the browser open.
std::array<int, kColumnCount> g_remembered{};

int TextWidth(HDC dc, std::wstring_view text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

void SetColumnWidths(HWND list, const ModuleCatalogue& catalogue) {
  const int dpi = platform::win32::DpiOf(list);
  if (g_remembered[0] > 0) {
    for (std::size_t column = 0; column < kColumnCount; ++column) {
      ListView_SetColumnWidth(list, static_cast<int>(column),
                              platform::win32::Scaled(g_remembered[column], dpi));
    }
    return;
  }
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  const int padding = platform::win32::Scaled(16, dpi), widest = platform::win32::Scaled(420, dpi);
  for (std::size_t column = 0; column < kColumnCount; ++column) {
    // The longest text by characters stands for the widest: measuring every cell costs more
    // than it tells.
    const std::wstring* longest = nullptr;
    for (const CatalogueRow& row : catalogue.Rows()) {
      if (!longest || row[column].size() > longest->size()) longest = &row[column];
    }
    int width = TextWidth(dc, CatalogueColumns()[column].header) + padding;
    if (longest) width = std::max(width, TextWidth(dc, *longest) + padding);
    ListView_SetColumnWidth(list, static_cast<int>(column), std::min(width, widest));
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
}

void RememberColumnWidths(HWND list) {
  const int dpi = platform::win32::DpiOf(list);
  for (std::size_t column = 0; column < kColumnCount; ++column) {
    g_remembered[column] = MulDiv(ListView_GetColumnWidth(list, static_cast<int>(column)), 96, dpi);
  }
}

void ShowSortArrow(HWND list, std::optional<std::size_t> column, bool descending) {
  HWND header = ListView_GetHeader(list);
  for (int i = 0; i < Header_GetItemCount(header); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, i, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column && static_cast<int>(*column) == i)
      item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, i, &item);
  }
}

}  // namespace corvalinde
