// What the program keeps of what a registration host writes on its channel, and which of the
// host's limits that makes run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde::platform {

// When `output` has grown past kMostHostOutput bytes: keeps the last kMostHostOutput of them,
// and every line before them that starts with `reportMark` (at most as many bytes again). A host
// reports as it ends, but a module's thread left running after a time-out can go on writing
// after the report, and would otherwise push it out.
void KeepTheReports(std::string& output, std::string_view reportMark);

// The limit a host is under, from its marks in the order it wrote them: the load's until its
// loaded mark, then the entry point's until its report (the done mark), then the load's again
// for the next module. The loaded mark counts once a module: written again before the report
// (by a module that found the channel) it starts no new limit.
class HostPhases {
 public:
  enum class Limit { Load, Entry };
  HostPhases(std::string_view loadedMark, std::string_view doneMark)
      : loadedMark_(loadedMark), doneMark_(doneMark) {}
  // Takes the last `fresh` bytes of `output`, the host's newest; true when a limit starts anew
  // (the one Current() names).
  bool Take(std::string_view output, std::size_t fresh);
  Limit Current() const { return current_; }

 private:
  std::string loadedMark_, doneMark_;
  Limit current_ = Limit::Load;
};

}  // namespace corvalinde::platform
