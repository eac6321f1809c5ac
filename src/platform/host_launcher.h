// Running a module's registration in a process of its own (the host), so that whatever the
// module does (crash, hang while loading, end the process) cannot take the program down.
//
// Contract:
// - Run starts `program` with `arguments`, its standard output a pipe that only it holds, and
//   collects all it writes there. The host has `loadLimit` to write `loadedMark` (the module is
//   loaded), then `entryLimit` more to end; past either it is terminated (timedOut), so nothing
//   of the module stays loaded anywhere.
// - HostRun says whether the host started (else startError, the system's reason), how it ended
//   (its exit code, or the exception code that ended it) and what it wrote.
// - On the host's side, PrepareHostProcess makes an unhandled exception end the process at
//   once with the exception's code as exit code (no crash dialog), and WriteToParent writes to
//   the pipe (or the result file of a host started through the shell).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace corvalinde::platform {

struct HostRun {
  bool started = false;
  std::uint32_t startError = 0;
  bool timedOut = false;
  std::uint32_t exitCode = 0;
  std::string output;
};

class HostLauncher {
 public:
  virtual ~HostLauncher() = default;
  // While it waits, the interface answers messages but takes no input; past a second a small
  // window shows `activity` and the time gone by.
  virtual HostRun Run(const std::wstring& program, const std::wstring& arguments,
                      const std::wstring& activity, std::string_view loadedMark,
                      std::chrono::milliseconds loadLimit,
                      std::chrono::milliseconds entryLimit) = 0;
  // A new, empty file in the user's temporary folder for an elevated host to write to.
  virtual std::wstring NewResultFile() = 0;
  // The same through the shell's "runas" verb (the elevation prompt), the host writing to
  // `resultFile`, which is removed afterwards. Not started with startError 1223
  // (ERROR_CANCELLED) when the user refused the prompt.
  virtual HostRun RunElevated(const std::wstring& program, const std::wstring& arguments,
                              const std::wstring& resultFile, const std::wstring& activity,
                              std::string_view loadedMark, std::chrono::milliseconds loadLimit,
                              std::chrono::milliseconds entryLimit) = 0;
};

// CreateProcess with an inherited pipe on Windows. The portable build has no program of its
// own to start: its tests use a scripted launcher.
std::unique_ptr<HostLauncher> MakeSystemHostLauncher();

// `resultFile` empty: the host writes to its standard output.
void PrepareHostProcess(const std::wstring& resultFile);

// Whether this process runs with a full administrator token (a test may say it does not, by
// setting CORVALINDE_TEST_NOT_ELEVATED=1 in the environment).
bool ProcessIsElevated();
bool WriteToParent(std::string_view text);

}  // namespace corvalinde::platform
