#include "browser/module_catalogue.h"

#include <algorithm>
#include <cmath>

#include "browser/class_servers.h"
#include "common/blanks.h"
#include "common/letter_case.h"
#include "common/texts.h"
#include "platform/registry_key.h"
#include "registry/cls_registry.h"

namespace corvalinde {
namespace {

constexpr std::int32_t kClassesRoot = static_cast<std::int32_t>(platform::kHkeyClassesRoot);

// i * 100 / count, to the nearest integer, halves to even.
long Percent(std::size_t done, std::size_t count) {
  return count ? std::lrint(static_cast<double>(done) * 100.0 / static_cast<double>(count)) : 0;
}

std::wstring ReaderText(clsRegistry& reader, std::wstring section) {
  reader.SetSectionKey(std::move(section));
  return ToText(reader.Value());
}

std::wstring Trimmed(const std::wstring& text) {
  return std::wstring(TrimBlanks(text));
}

bool RowContains(const CatalogueRow& row, const std::wstring& upperText) {
  for (const std::wstring& cell : row) {
    if (cell.size() >= upperText.size() &&
        ToUpperText(cell).find(upperText) != std::wstring::npos) {
      return true;
    }
  }
  return false;
}

// Ends the load the same way on every path: drawing back on, progress window hidden.
class LoadEnd {
 public:
  LoadEnd(ProgressWindow& progress, ListDrawing& list) : progress_(progress), list_(list) {}
  ~LoadEnd() {
    list_.SetRedraw(true);
    progress_.Hide();
  }

 private:
  ProgressWindow& progress_;
  ListDrawing& list_;
};

}  // namespace

const std::array<ColumnSpec, kColumnCount>& CatalogueColumns() {
  static const std::array<ColumnSpec, kColumnCount> columns = {{
      {texts::kColumnId, 500},
      {texts::kColumnNome, 1440},
      {texts::kColumnClassName, 1440},
      {texts::kColumnClassId, 1440},
      {texts::kColumnEseguibile, 3000},
      {texts::kColumnNomeModulo, 3000},
      {texts::kColumnThreading, 300},
      {texts::kColumnVersione, 500},
      {texts::kColumnVindProgId, 1000},
      {texts::kColumnStato, 1000},
      {texts::kColumnAmbito, 1000},
      {texts::kColumnVersioneFile, 1000},
      {texts::kColumnProduttore, 1440},
  }};
  return columns;
}

void ModuleCatalogue::Load(platform::Registry& registry, ProgressWindow& progress,
                           ListDrawing& list, platform::MessageBoxes& boxes) {
  LoadEnd end(progress, list);
  clsRegistry keyReader(registry);
  clsRegistry classReader(registry);
  keyReader.SetClassKey(kClassesRoot);
  classReader.SetClassKey(kClassesRoot);
  try {
    NameArray keys;
    std::int32_t count = 0;
    keyReader.EnumerateSections(keys, count);

    rows_.clear();
    facts_.clear();
    selected_.reset();
    list.SetRedraw(false);
    std::wstring caption =
        std::wstring(texts::kLoadingStart) + L"0" + std::wstring(texts::kLoadingEnd);
    progress.Show();
    progress.SetCaption(caption);
    progress.SetRange(0, count);
    progress.Repaint();

    const auto total = static_cast<std::size_t>(count);
    for (std::size_t i = 1; i <= total; ++i) {
      const std::wstring& key = keys(static_cast<std::int32_t>(i));
      std::wstring name = ReaderText(keyReader, key);
      std::wstring clsid = Trimmed(ReaderText(keyReader, key + L"\\CLSID"));
      if (!clsid.empty()) {
        CatalogueRow row;
        row[kColumnId] = std::to_wstring(rows_.size() + 1);
        row[kColumnNome] = name;
        row[kColumnClassName] = Trimmed(key);
        row[kColumnClassId] = clsid;
        const std::wstring classKey = L"CLSID\\" + clsid;
        row[kColumnEseguibile] = Trimmed(ReaderText(classReader, classKey + L"\\LocalServer32"));
        row[kColumnNomeModulo] = Trimmed(ReaderText(classReader, classKey + L"\\InProcServer32"));
        classReader.SetValueKey(L"ThreadingModel");
        row[kColumnThreadingModel] =
            Trimmed(ReaderText(classReader, classKey + L"\\InProcServer32"));
        classReader.SetValueKey(L"");
        row[kColumnVersione] = Trimmed(ReaderText(classReader, classKey + L"\\Version"));
        row[kColumnVindProgId] =
            Trimmed(ReaderText(classReader, classKey + L"\\VersionIndependentProgID"));
        // HKEY_CLASSES_ROOT merges the user's classes over the machine's: ask the user's side.
        platform::RegistryKey own(registry);
        RowFacts facts;
        facts.user = own.Open(platform::kHkeyCurrentUser, L"Software\\Classes\\" + classKey,
                              platform::kKeyRead) == platform::kRegSuccess;
        row[kColumnAmbito] = facts.user ? texts::kScopeUser : texts::kScopeMachine;
        // A class another stands in for is judged by that one's files.
        const ClassServers listed{row[kColumnNomeModulo], row[kColumnEseguibile]};
        facts.servers =
            ServersCreatedFor(registry, platform::kHkeyClassesRoot, clsid, listed).value_or(listed);
        rows_.push_back(std::move(row));
        facts_.push_back(std::move(facts));
      }
      progress.SetPosition(static_cast<std::int64_t>(i));
      std::wstring next = std::wstring(texts::kLoadingStart) + std::to_wstring(Percent(i, total)) +
                          std::wstring(texts::kLoadingEnd);
      if (next != caption) {
        caption = next;
        progress.SetCaption(caption);
      }
    }
    Arrange();
    // The first row shown starts out selected, so a search right away covers the whole list.
    if (!shown_.empty()) selected_ = shown_.front();
  } catch (const RegistryError& error) {
    boxes.Show({std::wstring(texts::kClassesRootUnreadable) + std::wstring(texts::kCrLf) +
                    error.Description(),
                platform::MessageIcon::Information, platform::MessageButtons::Ok,
                std::wstring(texts::kProgramTitle)});
  }
}

std::wstring_view ModuleCatalogue::Cell(std::size_t position, std::size_t column) const {
  auto row = RowAt(position);
  if (!row || column >= kColumnCount) return {};
  return rows_[*row][column];
}

std::optional<std::size_t> ModuleCatalogue::RowAt(std::size_t position) const {
  if (position >= shown_.size()) return std::nullopt;
  return shown_[position];
}

std::optional<std::size_t> ModuleCatalogue::PositionOf(std::size_t row) const {
  auto at = std::find(shown_.begin(), shown_.end(), row);
  if (at == shown_.end()) return std::nullopt;
  return static_cast<std::size_t>(at - shown_.begin());
}

std::wstring ModuleCatalogue::Caption() const {
  std::wstring count = std::to_wstring(rows_.size());
  if (shown_.size() != rows_.size()) {
    count = std::to_wstring(shown_.size()) + std::wstring(texts::kShownOf) + count;
  }
  return std::wstring(texts::kBrowserCountCaption) + count + std::wstring(texts::kBrowserCountEnd);
}

void ModuleCatalogue::SortBy(std::size_t column) {
  if (column >= kColumnCount) return;
  descending_ = sortColumn_ == column && !descending_;
  sortColumn_ = column;
  Arrange();
}

void ModuleCatalogue::SetFilter(const std::wstring& text, bool onlyMissing) {
  filter_ = ToUpperText(text);
  onlyMissing_ = onlyMissing;
  Arrange();
}

bool ModuleCatalogue::SetFileFacts(const std::vector<FileFacts>& facts) {
  for (const FileFacts& fact : facts) {
    if (fact.row >= rows_.size()) continue;
    facts_[fact.row].state = fact.state;
    rows_[fact.row][kColumnStato] = fact.status;
    rows_[fact.row][kColumnVersioneFile] = fact.version;
    rows_[fact.row][kColumnProduttore] = fact.maker;
  }
  const bool sortedByThem = sortColumn_ == kColumnStato || sortColumn_ == kColumnVersioneFile ||
                            sortColumn_ == kColumnProduttore;
  if (!onlyMissing_ && !sortedByThem && filter_.empty()) return false;
  Arrange();
  return true;
}

void ModuleCatalogue::Arrange() {
  std::vector<std::size_t> order(rows_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (sortColumn_) {
    const std::size_t column = *sortColumn_;
    std::vector<std::wstring> keys(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const std::wstring& cell = rows_[i][column];
      // IDs are digits: as numbers they sort by length first.
      keys[i] = column == kColumnId
                    ? std::wstring(20 - std::min<std::size_t>(cell.size(), 20), L'0') + cell
                    : ToUpperText(cell);
    }
    auto before = [&](std::size_t a, std::size_t b) {
      return descending_ ? keys[b] < keys[a] : keys[a] < keys[b];
    };
    std::stable_sort(order.begin(), order.end(), before);
  }
  shown_.clear();
  for (std::size_t row : order) {
    if (onlyMissing_ && facts_[row].state != FileState::Missing) continue;
    if (!filter_.empty() && !RowContains(rows_[row], filter_)) continue;
    shown_.push_back(row);
  }
}

void ModuleCatalogue::Find(SearchColumn column, const std::wstring& key, ProgressWindow& progress,
                           platform::MessageBoxes& boxes) {
  const std::size_t cell = column == SearchColumn::Module ? kColumnNomeModulo : kColumnEseguibile;
  const std::size_t total = shown_.size();
  std::wstring caption =
      std::wstring(texts::kSearchingStart) + L"0" + std::wstring(texts::kSearchingEnd);
  progress.SetCaption(caption);
  progress.SetRange(1, static_cast<std::int64_t>(total));
  progress.SetPosition(1);
  progress.Show();
  progress.Repaint();

  const std::wstring wanted = ToUpperText(key);
  // From the selected row's place in the list as shown (the first row when it is not shown).
  std::size_t from = 0;
  if (selected_) {
    auto at = std::find(shown_.begin(), shown_.end(), *selected_);
    if (at != shown_.end()) from = static_cast<std::size_t>(at - shown_.begin());
  }
  for (std::size_t place = from; place < total; ++place) {
    const std::size_t i = shown_[place];
    const std::wstring& text = rows_[i][cell];
    if (!text.empty() && ToUpperText(text).find(wanted) != std::wstring::npos) {
      boxes.Show(
          {std::wstring(texts::kFoundStart) + rows_[i][kColumnId] + std::wstring(texts::kFoundEnd),
           platform::MessageIcon::Information, platform::MessageButtons::Ok,
           std::wstring(texts::kTitleSearchResult)});
      selected_ = i;
      progress.Hide();
      return;
    }
    progress.SetPosition(static_cast<std::int64_t>(place + 1));
    std::wstring next = std::wstring(texts::kSearchingStart) +
                        std::to_wstring(Percent(place + 1, total)) +
                        std::wstring(texts::kSearchingEnd);
    if (next != caption) {
      caption = next;
      progress.SetCaption(caption);
    }
  }
  progress.Hide();
  boxes.Show({std::wstring(texts::kNotFound), platform::MessageIcon::Information,
              platform::MessageButtons::Ok, std::wstring(texts::kTitleSearchResult)});
}

}  // namespace corvalinde
