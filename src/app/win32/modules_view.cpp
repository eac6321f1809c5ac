#include "app/win32/modules_view.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "app/browser_actions.h"
#include "app/win32/file_status_worker.h"
#include "app/win32/modules_actions.h"
#include "app/win32/modules_columns.h"
#include "app/win32/progress_window.h"
#include "app/win32/results_window.h"
#include "browser/orphan_removal.h"
#include "common/texts.h"
#include "registration/host_registrar.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/win32/common_dialogs.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/work_in_progress.h"

namespace corvalinde::modules {
namespace {

// What one of the browser's actions runs with: this window's boxes and dialogs, and hosts
// started from this program.
class ActionServices {
 public:
  ActionServices(HWND window, platform::Registry& registry, platform::MessageBoxes& boxes)
      : dialogs_(window, std::wstring(texts::kOk), std::wstring(texts::kCancel)),
        launcher_(platform::MakeSystemHostLauncher()),
        registrar_(*launcher_, platform::ExecutablePath(), &registry),
        actions_({registry, boxes, dialogs_, *launcher_, registrar_, platform::ExecutablePath(),
                  platform::ProcessIsElevated(), BackupFolder(), LocalTimeNow,
                  [&registry] { return SystemFileSearch(registry); }, &results_,
                  LinesThatFitABox()}) {
    results_.SetOwner(window);
  }
  BrowserActions& Actions() { return actions_; }

 private:
  platform::win32::SystemDialogs dialogs_;
  Win32ResultsView results_;
  std::unique_ptr<platform::HostLauncher> launcher_;
  HostRegistrar registrar_;
  BrowserActions actions_;
};

}  // namespace

void View::Attach(HWND window, HWND list) {
  window_ = window;
  list_ = list;
  // Its boxes keep the browser still: no "Esci" or "Refresh" under a search's result.
  boxes_.SetOwner(window);
}

void View::SetRedraw(bool on) {
  SendMessageW(list_, WM_SETREDRAW, on, 0);
  if (on) InvalidateRect(list_, nullptr, TRUE);
}

void View::LoadCatalogue() {
  platform::win32::WorkInProgress working;
  StopChecks();
  EnableWindow(window_, FALSE);
  catalogue_.Load(registry_, SharedProgressWindow(), *this, boxes_);
  EnableWindow(window_, TRUE);
  Refill();
  SetColumnWidths(list_, catalogue_);
  // Painted now (when it is on the screen) rather than when the window next goes idle: a box the
  // user's next search opens would wait for it.
  UpdateWindow(window_);
  // Once the list is on the screen: the checks must not hold up its first painting.
  PostMessageW(window_, kStartChecksMessage, 0, 0);
}

void View::Refill(bool reveal, const std::vector<std::size_t>& alsoSelected) {
  ListView_SetItemCountEx(list_, static_cast<int>(catalogue_.Shown().size()),
                          LVSICF_NOINVALIDATEALL);
  InvalidateRect(list_, nullptr, FALSE);
  ShowSelection(reveal, alsoSelected);
  SetWindowTextW(window_, catalogue_.Caption().c_str());
}

void View::StartChecks() {
  std::vector<FileToCheck> files;
  for (std::size_t row = 0; row < catalogue_.Facts().size(); ++row) {
    const ClassServers& servers = catalogue_.Facts()[row].servers;
    if (!servers.module.empty() || !servers.commandLine.empty()) files.push_back({row, servers});
  }
  StopChecks();  // a refresh may have started checks that are not done
  stopChecks_ = std::make_shared<std::atomic<bool>>(false);
  // Unique across windows: a check still running for a closed browser posts to its handle,
  // which a new browser may have been given.
  static unsigned checksStarted = 0;
  generation_ = ++checksStarted;
  StartFileChecks(window_, generation_, std::move(files), stopChecks_, gate_);
}

void View::StopChecks() {
  if (stopChecks_) *stopChecks_ = true;
  generation_ = 0;
}

void View::TakeFileFacts(unsigned generation,
                         const std::vector<ModuleCatalogue::FileFacts>& facts) {
  if (generation != generation_) return;
  std::vector<std::size_t> selected = SelectedRows();
  FitFileFactColumns(list_, facts);
  if (catalogue_.SetFileFacts(facts)) return Refill(false, selected);
  // Only cells changed: the rows in view are painted again when the batch holds one of them
  // (a repaint pending would hold up the box of a search meanwhile).
  const int top = ListView_GetTopIndex(list_);
  const int shown = ListView_GetCountPerPage(list_) + 1;
  std::vector<bool> inView(catalogue_.Rows().size());
  for (int position = top; position < top + shown; ++position) {
    if (auto row = catalogue_.RowAt(static_cast<std::size_t>(position))) inView[*row] = true;
  }
  for (const ModuleCatalogue::FileFacts& fact : facts) {
    if (fact.row < inView.size() && inView[fact.row]) {
      InvalidateRect(list_, nullptr, FALSE);
      return;
    }
  }
}

void View::SelectPosition(int position) {
  catalogue_.Select(position >= 0 ? catalogue_.RowAt(static_cast<std::size_t>(position))
                                  : std::nullopt);
}

std::vector<std::size_t> View::SelectedRows() const {
  std::vector<std::size_t> rows;
  for (int at = ListView_GetNextItem(list_, -1, LVNI_SELECTED); at >= 0;
       at = ListView_GetNextItem(list_, at, LVNI_SELECTED)) {
    if (auto row = catalogue_.RowAt(static_cast<std::size_t>(at))) rows.push_back(*row);
  }
  return rows;
}

void View::SelectAll() {
  ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void View::ShowSelection(bool reveal, const std::vector<std::size_t>& alsoSelected) {
  auto row = catalogue_.Selected();  // read first: clearing the list's selection reports back
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (!alsoSelected.empty()) {  // one pass over the rows shown, however many are selected
    std::vector<bool> wanted(catalogue_.Rows().size());
    for (std::size_t other : alsoSelected) {
      if (other < wanted.size()) wanted[other] = true;
    }
    const std::vector<std::size_t>& shown = catalogue_.Shown();
    for (std::size_t position = 0; position < shown.size(); ++position) {
      if (!wanted[shown[position]]) continue;
      ListView_SetItemState(list_, static_cast<int>(position), LVIS_SELECTED, LVIS_SELECTED);
    }
  }
  catalogue_.Select(row);
  if (auto place = row ? catalogue_.PositionOf(*row) : std::nullopt) {
    int position = static_cast<int>(*place);
    ListView_SetItemState(list_, position, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    if (reveal) ListView_EnsureVisible(list_, position, FALSE);
  }
}

void View::Sort(std::size_t column) {
  std::vector<std::size_t> selected = SelectedRows();
  catalogue_.SortBy(column);
  ShowSortArrow(list_, catalogue_.SortColumn(), catalogue_.SortDescending());
  Refill(true, selected);
}

void View::ApplyFilter() {
  std::vector<std::size_t> selected = SelectedRows();
  catalogue_.SetFilter(platform::win32::TextOf(Item(kTxtFilter)),
                       IsDlgButtonChecked(window_, kChkOnlyMissing) == BST_CHECKED);
  Refill(true, selected);
}

void View::CopySelected() {
  std::vector<std::size_t> rows = SelectedRows();
  if (!rows.empty()) CopyRows(window_, catalogue_, rows);
}

void View::ContextMenu(POINT at) {
  platform::win32::WorkInProgress working;  // a menu, a box, a registration: all pump messages
  auto row = catalogue_.Selected();
  auto position = row ? catalogue_.PositionOf(*row) : std::nullopt;
  if (at.x == -1 && at.y == -1) {  // from the keyboard: at the selected row
    RECT place{};
    if (position) ListView_GetItemRect(list_, static_cast<int>(*position), &place, LVIR_LABEL);
    at = {place.left, place.bottom};
    ClientToScreen(list_, &at);
  }
  const CatalogueRow* cells = position ? &catalogue_.Rows()[*row] : nullptr;
  bool inProcess = cells && !(*cells)[kColumnNomeModulo].empty();
  std::vector<std::size_t> selected = SelectedRows();
  bool orphan = false;
  for (std::size_t each : selected) {
    orphan = orphan || catalogue_.Facts()[each].state == FileState::Missing;
  }
  const bool verifiable = inProcess && catalogue_.Facts()[*row].state != FileState::Missing;
  switch (ChooseRowAction(window_, at, cells != nullptr, inProcess, verifiable, orphan)) {
    case RowAction::Copy:
      CopyRows(window_, catalogue_, selected);
      break;
    case RowAction::Export:
      ActionServices(window_, registry_, boxes_).Actions().ExportShownRows(catalogue_);
      break;
    case RowAction::OpenFolder:
      OpenModuleFolder(inProcess ? (*cells)[kColumnNomeModulo] : (*cells)[kColumnEseguibile]);
      break;
    case RowAction::Unregister:
      if (ActionServices(window_, registry_, boxes_)
              .Actions()
              .Unregister((*cells)[kColumnNomeModulo])) {
        LoadCatalogue();
      }
      break;
    case RowAction::Verify:
      if (ActionServices(window_, registry_, boxes_)
              .Actions()
              .Verify((*cells)[kColumnNomeModulo], catalogue_.Facts()[*row].user
                                                       ? RegistrationScope::User
                                                       : RegistrationScope::Machine)) {
        LoadCatalogue();
      }
      break;
    case RowAction::RemoveOrphans:
      RemoveOrphansOf(selected);
      break;
    case RowAction::Restore:
      Restore();
      break;
    case RowAction::None:
      break;
  }
}

void View::RemoveOrphansOf(std::vector<std::size_t> rows) {
  platform::win32::WorkInProgress working;
  if (ActionServices(window_, registry_, boxes_).Actions().RemoveOrphans(catalogue_, rows)) {
    LoadCatalogue();
  }
}

void View::Restore() {
  platform::win32::WorkInProgress working;
  if (ActionServices(window_, registry_, boxes_).Actions().Restore()) LoadCatalogue();
}

void View::ChooseColumn(bool module) {
  // The two options are not neighbours in the tab order, so they are kept exclusive here.
  CheckDlgButton(window_, kOptFindDLL, module ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window_, kOptFindEXE, module ? BST_UNCHECKED : BST_CHECKED);
  HWND off = Item(module ? kTxtFindEXE : kTxtFindDLL);
  SetWindowTextW(off, L"");
  EnableWindow(off, FALSE);
  EnableWindow(Item(module ? kTxtFindDLL : kTxtFindEXE), TRUE);
  InvalidateRect(window_, nullptr, TRUE);
}

void View::Find() {
  platform::win32::WorkInProgress working;
  bool module = IsDlgButtonChecked(window_, kOptFindDLL) == BST_CHECKED;
  HWND box = Item(module ? kTxtFindDLL : kTxtFindEXE);
  std::wstring key = platform::win32::TextOf(box);
  EnableWindow(window_, FALSE);
  catalogue_.Find(module ? SearchColumn::Module : SearchColumn::Executable, key,
                  SharedProgressWindow(), boxes_);
  EnableWindow(window_, TRUE);
  SetFocus(box);
  ShowSelection();
}

}  // namespace corvalinde::modules
