// The browser's state and what it does, behind its window (modules_window.cpp): the catalogue
// as the list shows it (sorted, filtered), the file checks that fill "Stato", the search and
// the context menu's actions.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/file_checks.h"
#include "browser/module_catalogue.h"
#include "platform/registry.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/window_skeleton.h"

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
  kChkOnlyMissing,
  kCmdRemoveOrphans,
  kCmdRestore
};

class View final : public ListDrawing {
 public:
  explicit View(platform::Registry& registry) : registry_(registry) {}

  // Called once the window and its list exist.
  void Attach(HWND window, HWND list);
  HWND Window() const { return window_; }
  HWND List() const { return list_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  ModuleCatalogue& Catalogue() { return catalogue_; }
  // Held while the window answers the user: the file checks wait meanwhile.
  const std::shared_ptr<ChecksGate>& Gate() const { return gate_; }
  const platform::win32::LightYellowBrush& Yellow() const { return yellow_; }

  void SetRedraw(bool on) override;

  // Form_Load and Refresh: build the catalogue, then the rows and the caption; the files are
  // checked afterwards, on a thread of their own. The window takes no input meanwhile.
  void LoadCatalogue();
  // The list shows the catalogue's rows as they are now shown, and the caption counts them;
  // `reveal` scrolls to the selected row (not for the file checks' batches: the user may be
  // scrolling elsewhere meanwhile).
  // `alsoSelected` (rows) stay selected beside the catalogue's selected row.
  void Refill(bool reveal = true, const std::vector<std::size_t>& alsoSelected = {});

  void StartChecks();
  // Its batches still queued are dropped too: no check has generation 0.
  void StopChecks();
  // A batch of what the checks found, unless it belongs to checks stopped since.
  void TakeFileFacts(unsigned generation, const std::vector<ModuleCatalogue::FileFacts>& facts);

  // The row the list's focus is on (or its first selected), as the catalogue's selected row:
  // the one a search starts from and the single-row actions take.
  void SelectPosition(int position);
  // Every row selected in the list, in the order shown.
  std::vector<std::size_t> SelectedRows() const;
  void SelectAll();
  void Sort(std::size_t column);
  void ApplyFilter();
  // The context menu at `at` (screen coordinates), or at the selected row when it comes from
  // the keyboard (`at` is -1, -1).
  void ContextMenu(POINT at);
  void CopySelected();
  // The selected option's box is usable and yellow; the other is emptied, disabled and grey.
  void ChooseColumn(bool module);
  // The clean-up, for the rows given (as indices into the catalogue's rows), and the way back;
  // the list is loaded again when the registry may have changed.
  void RemoveOrphansOf(std::vector<std::size_t> rows);
  void Restore();
  void Find();

 private:
  void ShowSelection(bool reveal = true, const std::vector<std::size_t>& alsoSelected = {});

  platform::Registry& registry_;
  platform::win32::SystemMessageBoxes boxes_;
  ModuleCatalogue catalogue_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  platform::win32::LightYellowBrush yellow_;
  unsigned generation_ = 0;  // of the file checks: a batch of an older load is dropped
  std::shared_ptr<std::atomic<bool>> stopChecks_;
  std::shared_ptr<ChecksGate> gate_ = std::make_shared<ChecksGate>();
};

}  // namespace corvalinde::modules
