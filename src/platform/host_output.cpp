#include "platform/host_output.h"

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
