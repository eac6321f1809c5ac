#include "browser/file_checks.h"

#include <array>
#include <cstdint>

#include "platform/files.h"

namespace corvalinde {
namespace {

std::wstring VersionText(const std::array<std::uint16_t, 4>& parts) {
  return std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) + L"." +
         std::to_wstring(parts[2]) + L"." + std::to_wstring(parts[3]);
}

}  // namespace

void ChecksGate::Hold() {
  std::lock_guard lock(guard_);
  ++holds_;
}

void ChecksGate::Release() {
  {
    std::lock_guard lock(guard_);
    --holds_;
  }
  released_.notify_all();
}

void ChecksGate::WaitWhileHeld() {
  std::unique_lock lock(guard_);
  released_.wait(lock, [&] { return holds_ == 0; });
}

ModuleCatalogue::FileFacts FileChecks::Check(std::size_t row, const ClassServers& servers) {
  const FileVerdict verdict = files_.Check(servers);
  const std::wstring key = std::to_wstring(static_cast<int>(verdict.state)) + L"|" +
                           std::to_wstring(verdict.error) + L"|" + verdict.path;
  auto known = read_.find(key);
  if (known == read_.end()) {
    ModuleCatalogue::FileFacts facts{0, verdict.state, FileStatusText(verdict), {}, {}};
    // Read as data, never loaded: no code of the file runs.
    if (verdict.state == FileState::Present) {
      if (auto resource = platform::ReadVersionResource(verdict.path)) {
        facts.version = VersionText(resource->fileVersion);
        facts.maker = resource->company;
      }
    }
    known = read_.emplace(key, std::move(facts)).first;
  }
  ModuleCatalogue::FileFacts facts = known->second;
  facts.row = row;
  return facts;
}

}  // namespace corvalinde
