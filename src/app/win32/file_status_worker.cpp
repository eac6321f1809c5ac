#include "app/win32/file_status_worker.h"

#include <chrono>
#include <thread>

#include "browser/file_checks.h"
#include "platform/registry.h"

namespace corvalinde {
namespace {

bool Post(HWND window, std::unique_ptr<StatusBatch> batch) {
  if (!PostMessageW(window, kStatusBatchMessage, 0, reinterpret_cast<LPARAM>(batch.get()))) {
    return false;
  }
  batch.release();  // the window owns it now
  return true;
}

}  // namespace

void StartFileChecks(HWND window, unsigned generation, std::vector<FileToCheck> files,
                     std::shared_ptr<std::atomic<bool>> stop, std::shared_ptr<ChecksGate> gate) {
  std::thread([window, generation, files = std::move(files), stop, gate] {
    // Background work: the window's thread goes first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    using Clock = std::chrono::steady_clock;
    constexpr auto kEvery = std::chrono::milliseconds(100);
    const std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
    FileChecks checks(SystemFileSearch(*registry));
    auto batch = std::make_unique<StatusBatch>(StatusBatch{generation, {}});
    auto last = Clock::now();
    for (const FileToCheck& file : files) {
      gate->WaitWhileHeld();
      if (*stop) return;
      batch->facts.push_back(checks.Check(file.row, file.servers));
      if (Clock::now() - last >= kEvery) {
        if (!Post(window, std::move(batch))) return;
        batch = std::make_unique<StatusBatch>(StatusBatch{generation, {}});
        last = Clock::now();
      }
    }
    if (!batch->facts.empty() && !*stop) Post(window, std::move(batch));
  }).detach();
}

void DropPendingBatches(HWND window) {
  MSG message;
  while (PeekMessageW(&message, window, kStatusBatchMessage, kStatusBatchMessage, PM_REMOVE)) {
    delete reinterpret_cast<StatusBatch*>(message.lParam);
  }
}

}  // namespace corvalinde
