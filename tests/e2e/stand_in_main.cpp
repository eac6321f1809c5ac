// Stands in for Corvalinde32.exe, which cannot run on these machines: writes how it was started
// to "<its own path>.args" and ends with exit code 42.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring record = std::wstring(path) + L".args";
  std::wstring commandLine = GetCommandLineW();
  HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, commandLine.data(), static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)),
              &written, nullptr);
    CloseHandle(file);
  }
  return 42;
}
