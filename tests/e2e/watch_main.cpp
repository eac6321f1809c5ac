// corvalinde_watch: starts Corvalinde.exe (from its own folder) with the given switches and
// reports in the terminal every message box it shows and how it ended. With --press-ok it
// answers each box itself, for displays nobody is looking at.
//
//   corvalinde_watch [--press-ok] [switches for Corvalinde.exe...]
#include <cstdio>
#include <string>

#include "app_driver.h"

using namespace corvalinde::e2e;
using namespace std::chrono_literals;

namespace {

void Print(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}

const wchar_t* IconName(SeenIcon icon) {
  switch (icon) {
    case SeenIcon::None:
      return L"none";
    case SeenIcon::Error:
      return L"error (16)";
    case SeenIcon::Exclamation:
      return L"exclamation (48)";
    case SeenIcon::Information:
      return L"information (64)";
    default:
      return L"not recognised";
  }
}

std::wstring Indented(const std::wstring& text) {
  std::wstring out = L"    ";
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    out += c;
    if (c == L'\n') out += L"    ";
  }
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool pressOk = false;
  std::wstring switches;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg == L"--press-ok") {
      pressOk = true;
      continue;
    }
    if (!switches.empty()) switches += L" ";
    switches += arg;
  }

  AppProcess app(ProgramFolder() + L"\\Corvalinde.exe", switches, true);
  if (!app.Started()) {
    Print(L"Corvalinde.exe did not start\n");
    return 125;
  }
  Print(L"Corvalinde.exe " + switches + L"\n");
  auto quietSince = std::chrono::steady_clock::now();
  for (;;) {
    if (auto code = app.WaitForExit(0ms)) {
      Print(L"ended with exit code " + std::to_wstring(*code) + L"\n");
      return static_cast<int>(*code);
    }
    if (auto box = app.WaitForMessageBox(200ms)) {
      Print(L"message box \"" + box->title + L"\", icon " + IconName(box->icon) + L":\n" +
            Indented(box->text) + L"\n");
      if (pressOk) {
        PressButton(box->window, L"OK");
      } else {
        Print(L"(close it to go on)\n");
      }
      while (IsWindow(box->window) && app.IsRunning()) Sleep(100);
      quietSince = std::chrono::steady_clock::now();
      continue;
    }
    if (pressOk && std::chrono::steady_clock::now() - quietSince > 5s) {
      Print(L"still running with nothing to answer (it stays in the tray); stopping it\n");
      return 0;
    }
  }
}
