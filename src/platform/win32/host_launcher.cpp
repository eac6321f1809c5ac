#include "platform/host_launcher.h"

#include <windows.h>

#include <algorithm>
#include <csignal>

#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;

// A host says a few lines; anything past this is a module talking, and is not kept.
constexpr std::size_t kMostOutput = 65536;

void Drain(HANDLE pipe, std::string& output) {
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

class Win32HostLauncher final : public HostLauncher {
 public:
  HostRun Run(const std::wstring& program, const std::wstring& arguments,
              std::string_view loadedMark, std::chrono::milliseconds loadLimit,
              std::chrono::milliseconds entryLimit) override {
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
    writer.reset();  // the host holds the only write end: its end ends the pipe

    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + loadLimit;
    bool loaded = false;
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) {
        TerminateProcess(process.get(), ERROR_TIMEOUT);
        WaitForSingleObject(process.get(), 5000);
        run.timedOut = true;
        break;
      }
      // Until the module is loaded, look at the pipe often; then the end is all that matters.
      DWORD slice = loaded ? static_cast<DWORD>(left.count())
                           : static_cast<DWORD>(std::min<long long>(left.count(), 5));
      DWORD waited = WaitForSingleObject(process.get(), slice);
      Drain(reader.get(), run.output);
      if (waited != WAIT_TIMEOUT) break;
      if (!loaded && run.output.find(loadedMark) != std::string::npos) {
        loaded = true;
        deadline = Clock::now() + entryLimit;
      }
    }
    Drain(reader.get(), run.output);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    run.exitCode = code;
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

void PrepareHostProcess() {
  // The channel is ours alone: a module writing to its standard output talks to nobody.
  g_parent = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  SetStdHandle(STD_OUTPUT_HANDLE, nowhere);
  SetStdHandle(STD_ERROR_HANDLE, nowhere);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnUnhandledException);
  std::signal(SIGABRT, EndOnAbort);  // a C++ exception that escapes ends in abort()
}

bool WriteToParent(std::string_view text) {
  DWORD written = 0;
  return g_parent &&
         WriteFile(g_parent, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace corvalinde::platform
