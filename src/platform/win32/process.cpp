#include "platform/process.h"

#include <windows.h>

#include "platform/path_parts.h"
#include "platform/win32/sized_text.h"

namespace corvalinde::platform {

std::wstring ArgumentText() {
  const wchar_t* p = GetCommandLineW();
  // The program's path comes first, quoted when it holds blanks; the arguments follow it.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

namespace {

// The path with every short (8.3) name in it spelt out: one program folder, one spelling.
std::wstring LongPathOf(const std::wstring& path) {
  return win32::SizedText(
      [&](wchar_t* text, DWORD size) { return GetLongPathNameW(path.c_str(), text, size); }, path);
}

}  // namespace

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      // As it was started, it may be C:\PROGRA~1\CORVAL~1\Corvalinde.exe.
      return LongPathOf(path);
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ExecutableFolder() {
  return FolderOf(ExecutablePath());
}

std::uint32_t CurrentProcessId() {
  return GetCurrentProcessId();
}

bool ProcessIsRunning(std::uint32_t id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

}  // namespace corvalinde::platform
