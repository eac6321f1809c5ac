// The browser's state and what it does, behind its window (modules_window.cpp): the catalogue
// as the list shows it (sorted, filtered), the file checks that fill "Stato", the search and
// the context menu's actions.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/file_status_worker.h"
#include "app/win32/modules_actions.h"
#include "app/win32/modules_columns.h"
#include "app/win32/progress_window.h"
#include "browser/module_catalogue.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/work_in_progress.h"

namespace corvalinde::modules {

enum ControlId {
  kLstControl = 100,
  kCmdEsci,
  kCmdRefresh,
  kFrame1,
  kFrame1Caption,
  kOptFindEXE,
  kTxtFindEXE,
  kOptFindDLL,
  kTxtFindDLL,
  kCmdFind,
  kLblFilter,
  kTxtFilter,
  kChkOnlyMissing
};
constexpr COLORREF kLightYellow = RGB(255, 255, 192);

struct View final : ListDrawing {
  explicit View(platform::Registry& registry) : registry(registry) {}
  ~View() override { DeleteObject(yellow); }

  void SetRedraw(bool on) override {
    SendMessageW(list, WM_SETREDRAW, on, 0);
    if (on) InvalidateRect(list, nullptr, TRUE);
  }

  HWND Item(int id) const { return GetDlgItem(window, id); }

  // Form_Load and Refresh: build the catalogue, then the rows and the caption; the files are
  // checked afterwards, on a thread of their own. The window takes no input meanwhile.
  void LoadCatalogue() {
    platform::win32::WorkInProgress working;
    StopChecks();
    EnableWindow(window, FALSE);
    catalogue.Load(registry, SharedProgressWindow(), *this, boxes);
    EnableWindow(window, TRUE);
    Refill();
    SetColumnWidths(list, catalogue);
    // Once the list is on the screen: the checks must not hold up its first painting.
    PostMessageW(window, kStartChecksMessage, 0, 0);
  }

  // The list shows the catalogue's rows as they are now shown, and the caption counts them;
  // `reveal` scrolls to the selected row (not for the file checks' batches: the user may be
  // scrolling elsewhere meanwhile).
  void Refill(bool reveal = true) {
    ListView_SetItemCountEx(list, static_cast<int>(catalogue.Shown().size()),
                            LVSICF_NOINVALIDATEALL);
    InvalidateRect(list, nullptr, FALSE);
    ShowSelection(reveal);
    SetWindowTextW(window, catalogue.Caption().c_str());
  }

  void StartChecks() {
    std::vector<FileToCheck> files;
    for (std::size_t row = 0; row < catalogue.Rows().size(); ++row) {
      const CatalogueRow& cells = catalogue.Rows()[row];
      bool module = !cells[kColumnNomeModulo].empty();
      const std::wstring& cell = module ? cells[kColumnNomeModulo] : cells[kColumnEseguibile];
      if (!cell.empty()) files.push_back({row, cell, !module});
    }
    StopChecks();  // a refresh may have started checks that are not done
    stopChecks = std::make_shared<std::atomic<bool>>(false);
    // Unique across windows: a check still running for a closed browser posts to its handle,
    // which a new browser may have been given.
    static unsigned checksStarted = 0;
    generation = ++checksStarted;
    StartFileChecks(window, generation, std::move(files), stopChecks);
  }
  // Its batches still queued are dropped too: no check has generation 0.
  void StopChecks() {
    if (stopChecks) *stopChecks = true;
    generation = 0;
  }

  // The list's position of a row, when it is shown.
  std::optional<int> PositionOf(std::size_t row) const {
    const auto& shown = catalogue.Shown();
    auto at = std::find(shown.begin(), shown.end(), row);
    if (at == shown.end()) return std::nullopt;
    return static_cast<int>(at - shown.begin());
  }

  void ShowSelection(bool reveal = true) {
    auto row = catalogue.Selected();  // read first: clearing the list's selection reports back
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    catalogue.Select(row);
    if (auto place = row ? PositionOf(*row) : std::nullopt) {
      ListView_SetItemState(list, *place, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      if (reveal) ListView_EnsureVisible(list, *place, FALSE);
    }
  }

  void Sort(std::size_t column) {
    catalogue.SortBy(column);
    ShowSortArrow(list, catalogue.SortColumn(), catalogue.SortDescending());
    Refill();
  }

  void ApplyFilter() {
    catalogue.SetFilter(platform::win32::TextOf(Item(kTxtFilter)),
                        IsDlgButtonChecked(window, kChkOnlyMissing) == BST_CHECKED);
    Refill();
  }

  void ContextMenu(POINT at) {
    platform::win32::WorkInProgress working;  // a menu, a box, a registration: all pump messages
    auto row = catalogue.Selected();
    bool shown = row && PositionOf(*row);
    const CatalogueRow* cells = shown ? &catalogue.Rows()[*row] : nullptr;
    bool inProcess = cells && !(*cells)[kColumnNomeModulo].empty();
    switch (ChooseRowAction(window, at, cells != nullptr, inProcess)) {
      case RowAction::Copy:
        CopyRows(window, catalogue, {*row});
        break;
      case RowAction::Export:
        ExportShownRows(window, catalogue);
        break;
      case RowAction::OpenFolder:
        OpenModuleFolder(inProcess ? (*cells)[kColumnNomeModulo] : (*cells)[kColumnEseguibile]);
        break;
      case RowAction::Unregister:
        if (UnregisterModule(window, (*cells)[kColumnNomeModulo])) LoadCatalogue();
        break;
      case RowAction::None:
        break;
    }
  }

  // The selected option's box is usable and yellow; the other is emptied, disabled and grey.
  void ChooseColumn(bool module) {
    // The two options are not neighbours in the tab order, so they are kept exclusive here.
    CheckDlgButton(window, kOptFindDLL, module ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, kOptFindEXE, module ? BST_UNCHECKED : BST_CHECKED);
    HWND off = Item(module ? kTxtFindEXE : kTxtFindDLL);
    SetWindowTextW(off, L"");
    EnableWindow(off, FALSE);
    EnableWindow(Item(module ? kTxtFindDLL : kTxtFindEXE), TRUE);
    InvalidateRect(window, nullptr, TRUE);
  }

  void Find() {
    platform::win32::WorkInProgress working;
    bool module = IsDlgButtonChecked(window, kOptFindDLL) == BST_CHECKED;
    HWND box = Item(module ? kTxtFindDLL : kTxtFindEXE);
    std::wstring key = platform::win32::TextOf(box);
    EnableWindow(window, FALSE);
    catalogue.Find(module ? SearchColumn::Module : SearchColumn::Executable, key,
                   SharedProgressWindow(), boxes);
    EnableWindow(window, TRUE);
    SetFocus(box);
    ShowSelection();
  }

  platform::Registry& registry;
  platform::win32::SystemMessageBoxes boxes;
  ModuleCatalogue catalogue;
  HWND window = nullptr;
  HWND list = nullptr;
  HBRUSH yellow = CreateSolidBrush(kLightYellow);
  unsigned generation = 0;  // of the file checks: a batch of an older load is dropped
  std::shared_ptr<std::atomic<bool>> stopChecks;
};

}  // namespace corvalinde::modules
