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

// The widest a column is made to fit its content, at the list's DPI; a padding beside the text.
int WidestColumn(HWND list) {
  return platform::win32::Scaled(420, platform::win32::DpiOf(list));
}
int Padding(HWND list) {
  return platform::win32::Scaled(16, platform::win32::DpiOf(list));
}

// The list's font selected into its device context for the life of the object.
class ListText {
 public:
  explicit ListText(HWND list) : list_(list), dc_(GetDC(list)) {
    old_ = SelectObject(dc_, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  }
  ~ListText() {
    SelectObject(dc_, old_);
    ReleaseDC(list_, dc_);
  }
  int Width(std::wstring_view text) const { return TextWidth(dc_, text); }

 private:
  HWND list_;
  HDC dc_;
  HGDIOBJ old_;
};

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
  const ListText text(list);
  for (std::size_t column = 0; column < kColumnCount; ++column) {
    // The longest text by characters stands for the widest: measuring every cell costs more
    // than it tells.
    const std::wstring* longest = nullptr;
    for (const CatalogueRow& row : catalogue.Rows()) {
      if (!longest || row[column].size() > longest->size()) longest = &row[column];
    }
    int width = text.Width(CatalogueColumns()[column].header) + Padding(list);
    if (longest) width = std::max(width, text.Width(*longest) + Padding(list));
    ListView_SetColumnWidth(list, static_cast<int>(column), std::min(width, WidestColumn(list)));
  }
}

void FitFileFactColumns(HWND list, const std::vector<ModuleCatalogue::FileFacts>& facts) {
  if (g_remembered[0] > 0 || facts.empty()) return;
  const ListText text(list);
  auto fit = [&](std::size_t column, std::wstring ModuleCatalogue::FileFacts::*cell) {
    const std::wstring* longest = &(facts.front().*cell);
    for (const ModuleCatalogue::FileFacts& fact : facts) {
      if ((fact.*cell).size() > longest->size()) longest = &(fact.*cell);
    }
    const int width = std::min(text.Width(*longest) + Padding(list), WidestColumn(list));
    if (width > ListView_GetColumnWidth(list, static_cast<int>(column))) {
      ListView_SetColumnWidth(list, static_cast<int>(column), width);
    }
  };
  fit(kColumnStato, &ModuleCatalogue::FileFacts::status);
  fit(kColumnVersioneFile, &ModuleCatalogue::FileFacts::version);
  fit(kColumnProduttore, &ModuleCatalogue::FileFacts::maker);
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
