// The catalogue of registered COM classes that frmModuli shows: one row per programmatic
// identifier under HKEY_CLASSES_ROOT whose "CLSID" names a class, read through clsRegistry, and
// the search over its executable or module column. Portable: the Win32 view only draws it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browser/progress_window.h"
#include "browser/registered_file.h"
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
  kColumnStato,         // filled after the list is shown (registered_file.h)
  kColumnAmbito,        // "utente": the class is under HKEY_CURRENT_USER\Software\Classes
  kColumnVersioneFile,  // from the file's version resource, with "Stato"
  kColumnProduttore,    // the version resource's CompanyName
  kColumnCount
};

struct ColumnSpec {
  std::wstring_view header;
  int widthTwips;
};

const std::array<ColumnSpec, kColumnCount>& CatalogueColumns();

using CatalogueRow = std::array<std::wstring, kColumnCount>;

// What a row stands for beside the words it shows: what is decided on is read from here, never
// from a label.
struct RowFacts {
  ClassServers servers;  // what COM would start: the class's own, or those of its TreatAs
  FileState state = FileState::Unchecked;
  bool user = false;  // registered under HKEY_CURRENT_USER\Software\Classes
};

enum class SearchColumn { Executable, Module };

class ModuleCatalogue {
 public:
  // Every row, in the order of the load; each keeps its "ID".
  const std::vector<CatalogueRow>& Rows() const { return rows_; }
  // Beside each row, in the same order.
  const std::vector<RowFacts>& Facts() const { return facts_; }
  // The rows the list shows, as indices into Rows(): sorted, and filtered.
  const std::vector<std::size_t>& Shown() const { return shown_; }
  // What the list shows at `position` (0 = the first row shown) in `column`; nothing past the
  // last row or column.
  std::wstring_view Cell(std::size_t position, std::size_t column) const;
  // The row shown at `position`, and where a row is shown, when they are.
  std::optional<std::size_t> RowAt(std::size_t position) const;
  std::optional<std::size_t> PositionOf(std::size_t row) const;
  // The selection is a row (an index into Rows()), wherever it is shown.
  std::optional<std::size_t> Selected() const { return selected_; }
  void Select(std::optional<std::size_t> row) { selected_ = row; }

  // Sorts the shown rows by `column`, ascending; the same column again reverses it. "ID"
  // sorts as a number, the rest as text with letter case ignored; equal cells keep load order.
  void SortBy(std::size_t column);
  std::optional<std::size_t> SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return descending_; }
  // Shows only the rows where some column contains `text` (letter case ignored), and with
  // `onlyMissing` only those whose file is missing; an empty text filters nothing.
  void SetFilter(const std::wstring& text, bool onlyMissing);
  // What the check of the rows' files reports, in batches: the sort and the filter are applied
  // again once per batch, when they depend on what changed; true when they were.
  struct FileFacts {
    std::size_t row;
    FileState state;
    std::wstring status;   // "Stato"
    std::wstring version;  // "Versione file"
    std::wstring maker;    // "Produttore"
  };
  bool SetFileFacts(const std::vector<FileFacts>& facts);

  // LoadModuleList: builds the rows again from the registry under the progress window. A
  // failure of the registry objects is shown, and the list stays as it was.
  void Load(platform::Registry& registry, ProgressWindow& progress, ListDrawing& list,
            platform::MessageBoxes& boxes);

  // "Lista moduli registrati ( Numero moduli :" + rows + " )"; while a filter hides rows,
  // "… :" + shown + " di " + rows + " )".
  std::wstring Caption() const;

  // Looks for `key` (as typed, letter case ignored) in the chosen column from the selected row
  // downwards, in the order shown; a hit becomes the selection. Says what it found.
  void Find(SearchColumn column, const std::wstring& key, ProgressWindow& progress,
            platform::MessageBoxes& boxes);

 private:
  void Arrange();  // shown_ from rows_, the sort and the filter

  std::vector<CatalogueRow> rows_;
  std::vector<RowFacts> facts_;
  std::vector<std::size_t> shown_;
  std::optional<std::size_t> selected_;
  std::optional<std::size_t> sortColumn_;
  bool descending_ = false;
  std::wstring filter_;  // upper case
  bool onlyMissing_ = false;
};

}  // namespace corvalinde
