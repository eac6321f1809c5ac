#include "app/win32/file_status_worker.h"

#include <chrono>
#include <thread>

#include "browser/registered_file.h"
#include "common/texts.h"
#include "platform/files.h"

namespace corvalinde {
namespace {

std::wstring Expanded(const std::wstring& text) {
  DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::wstring expanded(size, L'\0');
  size = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
  expanded.resize(size > 0 ? size - 1 : 0);
  return expanded;
}

std::wstring VersionText(const std::array<std::uint16_t, 4>& parts) {
  return std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) + L"." +
         std::to_wstring(parts[2]) + L"." + std::to_wstring(parts[3]);
}

bool Post(HWND window, std::unique_ptr<StatusBatch> batch) {
  if (!PostMessageW(window, kStatusBatchMessage, 0, reinterpret_cast<LPARAM>(batch.get()))) {
    return false;
  }
  batch.release();  // the window owns it now
  return true;
}

}  // namespace

void StartFileChecks(HWND window, unsigned generation, std::vector<FileToCheck> files,
                     std::shared_ptr<std::atomic<bool>> stop) {
  std::thread([window, generation, files = std::move(files), stop] {
    // Background work: the window's thread goes first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    using Clock = std::chrono::steady_clock;
    constexpr auto kEvery = std::chrono::milliseconds(100);
    FileTest exists = [](const std::wstring& path) { return platform::FileExists(path); };
    auto batch = std::make_unique<StatusBatch>(StatusBatch{generation, {}});
    auto last = Clock::now();
    for (const FileToCheck& file : files) {
      if (*stop) return;
      std::wstring path = RegisteredFile(file.cell, file.commandLine, exists, Expanded);
      ModuleCatalogue::FileFacts facts{file.row, FileStatus(path, exists), {}, {}};
      // Read as data, never loaded: no code of the file runs.
      if (!path.empty() && facts.status != texts::kStatusMissing) {
        if (auto resource = platform::ReadVersionResource(path)) {
          facts.version = VersionText(resource->fileVersion);
          facts.maker = resource->company;
        }
      }
      batch->facts.push_back(std::move(facts));
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
