// The catalogue of registered COM classes that frmModuli shows: one row per programmatic
// identifier under HKEY_CLASSES_ROOT whose "CLSID" names a class, read through clsRegistry, and
// the search over its executable or module column. Portable: the Win32 view only draws it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/progress_window.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"

namespace corvalinde {

enum CatalogueColumn : std::size_t {
  kColumnId,
  kColumnNome,
  kColumnClassName,
  kColumnClassId,
  kColumnEseguibile,
  kColumnNomeModulo,
  kColumnThreadingModel,
  kColumnVersione,
  kColumnVindProgId,
  kColumnCount
};

struct ColumnSpec {
  std::wstring_view header;
  int widthTwips;
};

const std::array<ColumnSpec, kColumnCount>& CatalogueColumns();

using CatalogueRow = std::array<std::wstring, kColumnCount>;

enum class SearchColumn { Executable, Module };

class ModuleCatalogue {
 public:
  const std::vector<CatalogueRow>& Rows() const { return rows_; }
  std::optional<std::size_t> Selected() const { return selected_; }
  void Select(std::optional<std::size_t> row) { selected_ = row; }

  // LoadModuleList: builds the rows again from the registry under the progress window. A
  // failure of the registry objects is shown, and the list stays as it was.
  void Load(platform::Registry& registry, ProgressWindow& progress, ListDrawing& list,
            platform::MessageBoxes& boxes);

  // "Lista moduli registrati ( Numero moduli :" + rows + " )".
  std::wstring Caption() const;

  // Looks for `key` (as typed, letter case ignored) in the chosen column from the selected row
  // on; a hit becomes the selection. Says what it found.
  void Find(SearchColumn column, const std::wstring& key, ProgressWindow& progress,
            platform::MessageBoxes& boxes);

 private:
  std::vector<CatalogueRow> rows_;
  std::optional<std::size_t> selected_;
};

}  // namespace corvalinde
