#include "platform/host_launcher.h"
#include "platform/host_output.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/busy_wait.h"
#include "platform/win32/host_channel.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;

// What one look at the channel reads at most before the watch checks its clock again.
constexpr std::size_t kSliceBytes = 1 << 20;
// How often the watch looks at the channel and the clock while the host runs.
constexpr DWORD kLookEvery = 10;

// What the host writes, read without ever blocking, from the host's process only.
class ChannelReader {
 public:
  ChannelReader(HANDLE pipe, DWORD hostId) : pipe_(pipe), hostId_(hostId) {}

  // Appends what is waiting, at most kSliceBytes.
  void ReadSome(std::string& output) {
    for (std::size_t taken = 0; taken < kSliceBytes;) {
      DWORD available = 0;
      if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr) || !available) return;
      char buffer[16384];
      DWORD got = 0;
      if (!ReadFile(pipe_, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) ||
          got == 0) {
        return;
      }
      taken += got;
      if (FromHost()) output.append(buffer, got);
    }
  }

 private:
  // Only the host is listened to: any other client that got in first is read, and forgotten.
  bool FromHost() {
    if (!checked_) {
      ULONG client = 0;
      fromHost_ = !GetNamedPipeClientProcessId(pipe_, &client) || client == hostId_;
      checked_ = true;
    }
    return fromHost_;
  }

  HANDLE pipe_;
  DWORD hostId_;
  bool checked_ = false;
  bool fromHost_ = false;
};

void Stop(HANDLE process, HANDLE job) {
  if (!job || !TerminateJobObject(job, ERROR_TIMEOUT)) TerminateProcess(process, ERROR_TIMEOUT);
  WaitForSingleObject(process, 5000);
}

// Watches a started host: `loadLimit` until `loadedMark` shows in what it writes, then
// `entryLimit` until `doneMark` does, and so on; past any of them the host and all it started
// are stopped.
void Watch(HANDLE process, HANDLE job, ChannelReader& channel, const std::wstring& activity,
           std::string_view loadedMark, std::string_view doneMark,
           std::chrono::milliseconds loadLimit, std::chrono::milliseconds entryLimit,
           HostRun& run) {
  win32::BusyWait busy(activity);
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline = Clock::now() + loadLimit;
  HostPhases phases(loadedMark, doneMark);
  auto read = [&] {
    std::size_t before = run.output.size();
    channel.ReadSome(run.output);
    if (phases.Take(run.output, run.output.size() - before)) {
      deadline =
          Clock::now() + (phases.Current() == HostPhases::Limit::Entry ? entryLimit : loadLimit);
    }
    KeepTheReports(run.output, doneMark);
  };
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      Stop(process, job);
      run.timedOut = true;
      break;
    }
    bool ended = busy.WaitFor(process, std::min<DWORD>(kLookEvery, left.count()));
    read();
    if (ended) break;
  }
  read();
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  run.exitCode = code;
}

DWORD WINAPI RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

class Win32HostLauncher final : public HostLauncher {
 public:
  void RunWhileWaiting(const std::wstring& activity, const std::function<void()>& work) override {
    DWORD id = 0;
    UniqueKernelHandle thread(
        CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, &id));
    if (!thread) return work();
    win32::BusyWait busy(activity);
    while (!busy.WaitFor(thread.get(), INFINITE)) {
    }
  }

  HostRun Run(const std::wstring& program, const std::wstring& arguments, const std::wstring& token,
              bool elevated, const std::wstring& activity, std::string_view loadedMark,
              std::string_view doneMark, std::chrono::milliseconds loadLimit,
              std::chrono::milliseconds entryLimit) override {
    HostRun run;
    UniqueKernelHandle channel = win32::CreateHostChannel(token);
    if (!channel) {
      run.startError = GetLastError();
      return run;
    }
    UniqueKernelHandle process, job;
    if (!(elevated ? StartElevated(program, arguments, process)
                   : Start(program, arguments, process, job))) {
      run.startError = GetLastError();
      return run;
    }
    run.started = true;
    ChannelReader reader(channel.get(), GetProcessId(process.get()));
    Watch(process.get(), job.get(), reader, activity, loadedMark, doneMark, loadLimit, entryLimit,
          run);
    // Whatever the module started and left running ends with the run.
    if (job) TerminateJobObject(job.get(), 0);
    return run;  // closing the channel ends an elevated host we could not stop ourselves
  }

 private:
  // Suspended until it is in a job of its own: nothing it starts can escape the run's end.
  static bool Start(const std::wstring& program, const std::wstring& arguments,
                    UniqueKernelHandle& process, UniqueKernelHandle& job) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
      return false;
    }
    process.reset(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    job = win32::NewKillOnCloseJob();
    // A Windows older than 8 cannot nest jobs: if we are in one, the host makes its own and
    // still ends when we close the channel.
    if (job && !AssignProcessToJobObject(job.get(), process.get())) job.reset();
    ResumeThread(thread.get());
    return true;
  }

  // Returns once the user has answered the elevation prompt. The shell gives no way to start
  // the host suspended: it makes its own job.
  static bool StartElevated(const std::wstring& program, const std::wstring& arguments,
                            UniqueKernelHandle& process) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info)) return false;
    if (!info.hProcess) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    process.reset(info.hProcess);
    return true;
  }
};

}  // namespace

std::unique_ptr<HostLauncher> MakeSystemHostLauncher() {
  return std::make_unique<Win32HostLauncher>();
}

}  // namespace corvalinde::platform
