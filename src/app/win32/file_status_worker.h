// The browser's "Stato": the file each row's registration points at is checked on a thread of
// its own, after the list is shown, and the results come back to the window in batches
// (kStatusBatchMessage, lParam a StatusBatch* the window then owns). The window never waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browser/file_checks.h"
#include "browser/module_catalogue.h"

namespace corvalinde {

inline constexpr UINT kStatusBatchMessage = WM_APP + 20;
inline constexpr UINT kStartChecksMessage = WM_APP + 21;  // the browser starts its checks

struct FileToCheck {
  std::size_t row;
  ClassServers servers;
};

struct StatusBatch {
  unsigned generation;  // a batch of an older load is dropped
  std::vector<ModuleCatalogue::FileFacts> facts;
};

// Checks `files` and posts their statuses to `window`, waiting between two files while `gate`
// is held; stops early once `stop` is set.
void StartFileChecks(HWND window, unsigned generation, std::vector<FileToCheck> files,
                     std::shared_ptr<std::atomic<bool>> stop, std::shared_ptr<ChecksGate> gate);

// Frees the batches still queued for a window that is going away.
void DropPendingBatches(HWND window);

}  // namespace corvalinde
