#include "platform/console.h"

#include <windows.h>

#include <string>

#include "platform/utf8.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

void WriteUtf8(HANDLE out, const std::wstring& text) {
  const std::string bytes = Utf8(text);
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool WriteToConsole(HANDLE console, const std::wstring& text) {
  DWORD mode = 0, written = 0;
  return GetConsoleMode(console, &mode) &&
         WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

void SystemConsole::Write(const std::wstring& text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) return WriteUtf8(out, text);
  if (type == FILE_TYPE_CHAR && WriteToConsole(out, text)) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  win32::UniqueKernelHandle owner(console);
  WriteToConsole(console, text);
}

}  // namespace corvalinde::platform
