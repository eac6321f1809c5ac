// Running a module's registration in a process of its own (the host), so that whatever the
// module does (crash, hang while loading, end the process, write without end, start other
// programs) cannot take the program down or outlive the run.
//
// Contract:
// - Run makes a private channel named after `token` (a pipe only this user's processes, or an
//   administrator's, may open, and only once), starts `program` with `arguments` (which carry
//   the token), and collects what the host writes there: in bounded slices, keeping the last
//   kMostHostOutput bytes and the `doneMark` lines before them (at most as many bytes again),
//   so that nothing a host writes can hold the caller past its limits or push its reports out.
//   Data from any process but the host is ignored.
// - The host has `loadLimit` to write `loadedMark` (the module is loaded), then `entryLimit`
//   to write `doneMark` (its report) or end, and after each `doneMark` (a host running several
//   modules) `loadLimit` again for the next (a loaded mark counts once a module: see
//   HostPhases); past any of them it is stopped (timedOut), so
//   nothing of the module stays loaded anywhere. Every process the host starts ends with the
//   run, whatever way it ends.
// - `elevated`: started through the shell's "runas" verb (the elevation prompt); not started,
//   with startError 1223 (ERROR_CANCELLED), when the user refused it.
// - HostRun says whether the host started (else startError, the system's reason), how it ended
//   (its exit code, or the exception code that ended it) and the tail of what it wrote.
// - On the host's side, PrepareHostProcess opens the channel its token names (false, and
//   nothing changed, when there is none: a host command typed by hand); it points the standard
//   handles and the C runtime's streams at NUL, keeps the channel in a handle no child
//   inherits, makes an unhandled exception end the process at once with the exception's code
//   as exit code (no crash dialog), ends the process when the parent closes the channel (it
//   gave up, or ended), keeps the current folder out of the DLL search, and puts the process
//   in a job of its own when it has none, so its children end with it. WriteToParent writes
//   to the channel.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace corvalinde::platform {

inline constexpr std::size_t kMostHostOutput = 65536;

// HostRun::startError when the user refused the elevation prompt (ERROR_CANCELLED).
inline constexpr std::uint32_t kElevationRefused = 1223;

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
  // window shows `activity` and the time gone by (none when `activity` is empty).
  virtual HostRun Run(const std::wstring& program, const std::wstring& arguments,
                      const std::wstring& token, bool elevated, const std::wstring& activity,
                      std::string_view loadedMark, std::string_view doneMark,
                      std::chrono::milliseconds loadLimit,
                      std::chrono::milliseconds entryLimit) = 0;
  // Runs `work` on a thread of its own and waits for it the same way (here: at once, in line).
  virtual void RunWhileWaiting(const std::wstring& activity, const std::function<void()>& work) {
    (void)activity;
    work();
  }
};

// A named pipe, a job object and CreateProcess (or the shell) on Windows. The portable build
// has no program of its own to start: its tests use a scripted launcher.
std::unique_ptr<HostLauncher> MakeSystemHostLauncher();

bool PrepareHostProcess(const std::wstring& token);
bool WriteToParent(std::string_view text);

// Whether this process runs with a full administrator token (a test may say it does not, by
// setting CORVALINDE_TEST_NOT_ELEVATED=1 in the environment).
bool ProcessIsElevated();

}  // namespace corvalinde::platform
