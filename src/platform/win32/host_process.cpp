// The host's own side of the channel (see host_launcher.h).
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/host_launcher.h"
#include "platform/win32/host_channel.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;

// Kept for the life of the process: the host ends by TerminateProcess.
HANDLE g_channel = nullptr;
HANDLE g_written = nullptr;

LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

void EndOnAbort(int) {
  TerminateProcess(GetCurrentProcess(), 3);  // what abort() itself would end with
}

// The parent never writes: a read ends only when its end of the channel closes, because it
// gave up on us or ended itself. Then nothing we do can reach anyone; we end.
DWORD WINAPI EndWhenParentLets(void*) {
  OVERLAPPED read{};
  read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  char byte = 0;
  if (read.hEvent && !ReadFile(g_channel, &byte, 1, nullptr, &read) &&
      GetLastError() == ERROR_IO_PENDING) {
    WaitForSingleObject(read.hEvent, INFINITE);
  }
  TerminateProcess(GetCurrentProcess(), ERROR_BROKEN_PIPE);
  return 0;
}

// Standard handles and the C runtime's streams lead nowhere: a module that prints (built with
// the same runtime, or not) talks to nobody.
void SilenceStandardStreams() {
  HANDLE nowhere =
      CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  SetStdHandle(STD_INPUT_HANDLE, nowhere);
  SetStdHandle(STD_OUTPUT_HANDLE, nowhere);
  SetStdHandle(STD_ERROR_HANDLE, nowhere);
  (void)_wfreopen(L"NUL", L"r", stdin);
  (void)_wfreopen(L"NUL", L"w", stdout);
  (void)_wfreopen(L"NUL", L"w", stderr);
}

// A host started through the shell is in no job of ours: it makes one, so that whatever the
// module starts ends with it.
void EndChildrenWithUs() {
  BOOL inJob = FALSE;
  if (IsProcessInJob(GetCurrentProcess(), nullptr, &inJob) && inJob) return;
  UniqueKernelHandle job = win32::NewKillOnCloseJob();
  if (job && AssignProcessToJobObject(job.get(), GetCurrentProcess())) job.release();
}

}  // namespace

bool PrepareHostProcess(const std::wstring& token) {
  UniqueKernelHandle channel = win32::OpenHostChannel(token);
  UniqueKernelHandle written(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!channel || !written) return false;
  g_channel = channel.release();
  g_written = written.release();
  SilenceStandardStreams();
  // The window manager and OLE, which the program loads only when it calls them, are loaded
  // here as a host always loaded them, before the module: their start-up does not then run
  // inside the module's load, with its error mode and search path (once seen to fail there
  // under load, "internal error").
  LoadLibraryW(L"user32.dll");
  LoadLibraryW(L"ole32.dll");
  // Like regsvr32, no DLL from whatever folder we were started in.
  SetDllDirectoryW(L"");
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnUnhandledException);
  std::signal(SIGABRT, EndOnAbort);  // a C++ exception that escapes may end in abort()
  EndChildrenWithUs();
  DWORD id = 0;
  UniqueKernelHandle watcher(CreateThread(nullptr, 0, EndWhenParentLets, nullptr, 0, &id));
  return true;
}

bool WriteToParent(std::string_view text) {
  if (!g_channel) return false;
  OVERLAPPED write{};
  write.hEvent = g_written;
  ResetEvent(g_written);
  DWORD written = 0;
  if (!WriteFile(g_channel, text.data(), static_cast<DWORD>(text.size()), nullptr, &write) &&
      GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  return GetOverlappedResult(g_channel, &write, &written, TRUE) && written == text.size();
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
