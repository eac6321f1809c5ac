#include "platform/host_launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>

#include "platform/win32/busy_wait.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;

// A host says a few lines; anything past this is a module talking, and is not kept.
constexpr std::size_t kMostOutput = 65536;

void DrainPipe(HANDLE pipe, std::string& output) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available) {
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) ||
        got == 0) {
      return;
    }
    if (output.size() < kMostOutput) output.append(buffer, got);
  }
}

// What the file holds now (it only grows).
void ReadResultFile(const std::wstring& path, std::string& output) {
  HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return;
  UniqueKernelHandle file(opened);
  char buffer[4096];
  std::string content;
  DWORD got = 0;
  while (content.size() < kMostOutput &&
         ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) {
    content.append(buffer, got);
  }
  output = content;
}

// Watches a started host: `loadLimit` until `loadedMark` shows in what `read` collects, then
// `entryLimit` more; past either the host is terminated.
void Watch(HANDLE process, const std::function<void(std::string&)>& read,
           const std::wstring& activity, std::string_view loadedMark,
           std::chrono::milliseconds loadLimit, std::chrono::milliseconds entryLimit,
           HostRun& run) {
  win32::BusyWait busy(activity);
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline = Clock::now() + loadLimit;
  bool loaded = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      TerminateProcess(process, ERROR_TIMEOUT);
      WaitForSingleObject(process, 5000);
      run.timedOut = true;
      break;
    }
    // Until the module is loaded, look at the channel often; then the end is all that matters.
    DWORD slice = loaded ? static_cast<DWORD>(left.count())
                         : static_cast<DWORD>(std::min<long long>(left.count(), 5));
    bool ended = busy.WaitFor(process, slice);
    read(run.output);
    if (ended) break;
    if (!loaded && run.output.find(loadedMark) != std::string::npos) {
      loaded = true;
      deadline = Clock::now() + entryLimit;
    }
  }
  read(run.output);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  run.exitCode = code;
}

class Win32HostLauncher final : public HostLauncher {
 public:
  HostRun Run(const std::wstring& program, const std::wstring& arguments,
              const std::wstring& activity, std::string_view loadedMark,
              std::chrono::milliseconds loadLimit, std::chrono::milliseconds entryLimit) override {
    HostRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
      run.startError = GetLastError();
      return run;
    }
    UniqueKernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
      run.startError = GetLastError();
      return run;
    }
    run.started = true;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    writer.reset();  // the host holds the only write end
    Watch(
        process.get(), [&](std::string& output) { DrainPipe(reader.get(), output); }, activity,
        loadedMark, loadLimit, entryLimit, run);
    return run;
  }

  std::wstring NewResultFile() override {
    wchar_t folder[MAX_PATH + 1], file[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || !GetTempFileNameW(folder, L"cvh", 0, file)) return {};
    return file;
  }

  HostRun RunElevated(const std::wstring& program, const std::wstring& arguments,
                      const std::wstring& resultFile, const std::wstring& activity,
                      std::string_view loadedMark, std::chrono::milliseconds loadLimit,
                      std::chrono::milliseconds entryLimit) override {
    HostRun run;
    if (resultFile.empty()) {  // no temporary file could be made: the host could not answer
      run.startError = ERROR_PATH_NOT_FOUND;
      return run;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_HIDE;
    // Returns once the user has answered the elevation prompt.
    if (!ShellExecuteExW(&info) || !info.hProcess) {
      run.startError = GetLastError();
      DeleteFileW(resultFile.c_str());
      return run;
    }
    run.started = true;
    UniqueKernelHandle process(info.hProcess);
    Watch(
        process.get(), [&](std::string& output) { ReadResultFile(resultFile, output); }, activity,
        loadedMark, loadLimit, entryLimit, run);
    DeleteFileW(resultFile.c_str());
    return run;
  }
};

HANDLE g_parent = nullptr;

LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

void EndOnAbort(int) {
  TerminateProcess(GetCurrentProcess(), 3);  // what abort() itself would end with
}

}  // namespace

std::unique_ptr<HostLauncher> MakeSystemHostLauncher() {
  return std::make_unique<Win32HostLauncher>();
}

void PrepareHostProcess(const std::wstring& resultFile) {
  // The channel is ours alone: a module writing to its standard output talks to nobody.
  g_parent = resultFile.empty() ? GetStdHandle(STD_OUTPUT_HANDLE)
                                : CreateFileW(resultFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (g_parent == INVALID_HANDLE_VALUE) g_parent = nullptr;
  HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  SetStdHandle(STD_OUTPUT_HANDLE, nowhere);
  SetStdHandle(STD_ERROR_HANDLE, nowhere);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnUnhandledException);
  std::signal(SIGABRT, EndOnAbort);  // a C++ exception that escapes may end in abort()
}

bool WriteToParent(std::string_view text) {
  DWORD written = 0;
  return g_parent &&
         WriteFile(g_parent, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

bool ProcessIsElevated() {
  if (const char* test = std::getenv("CORVALINDE_TEST_NOT_ELEVATED"); test && *test == '1') {
    return false;
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  UniqueKernelHandle owner(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated;
}

}  // namespace corvalinde::platform
