#include "platform/host_output.h"

#include <algorithm>

#include "platform/host_launcher.h"

namespace corvalinde::platform {

void KeepTheReports(std::string& output, std::string_view reportMark) {
  if (output.size() <= kMostHostOutput) return;
  const std::size_t cut = output.size() - kMostHostOutput;
  std::string reports;
  for (std::size_t at = output.find(reportMark); at < cut; at = output.find(reportMark, at + 1)) {
    std::size_t end = output.find('\n', at);
    reports.append(output, at, end == std::string::npos ? std::string::npos : end + 1 - at);
  }
  // A module that floods the channel with lines that look like reports gets no more room.
  if (reports.size() > kMostHostOutput) reports.erase(0, reports.size() - kMostHostOutput);
  output.erase(0, cut);
  output.insert(0, reports);
}

}  // namespace corvalinde::platform

namespace corvalinde::platform {

bool HostPhases::Take(std::string_view output, std::size_t fresh) {
  fresh = std::min(fresh, output.size());
  const std::size_t newFrom = output.size() - fresh;
  // A mark may have begun in what came before: look that far back, but take only marks that
  // end in the new bytes (the others were taken already).
  const std::size_t longest = std::max(loadedMark_.size(), doneMark_.size());
  std::size_t at = newFrom > longest ? newFrom - longest : 0;
  bool started = false;
  for (;;) {
    const std::size_t loaded = output.find(loadedMark_, at), done = output.find(doneMark_, at);
    const bool isDone =
        done != std::string_view::npos && (loaded == std::string_view::npos || done < loaded);
    const std::size_t mark = isDone ? done : loaded;
    if (mark == std::string_view::npos) break;
    const std::size_t length = isDone ? doneMark_.size() : loadedMark_.size();
    at = mark + 1;
    if (mark + length <= newFrom) continue;
    if (isDone) {
      current_ = Limit::Load;
      started = true;
    } else if (current_ == Limit::Load) {
      current_ = Limit::Entry;
      started = true;
    }
  }
  return started;
}

}  // namespace corvalinde::platform
