// frmMain: the hidden first window. Its creation runs the start-up (the "load handler"); in a
// command-line run it ends the process right after the outcome message.
#include <windows.h>

#include "app/command_line_run.h"
#include "app/win32/resource_ids.h"
#include "platform/module_loader.h"
#include "platform/process.h"
#include "platform/win32/message_boxes.h"

namespace corvalinde {
namespace {

constexpr wchar_t kMainWindowClass[] = L"CorvalindeMain";
constexpr wchar_t kMainWindowCaption[] = L"Form1";

void FormLoad() {
  std::wstring commandText = platform::ArgumentText();
  if (commandText.empty())
    return;  // tray mode

  auto loader = platform::MakeSystemModuleLoader();
  platform::win32::SystemMessageBoxes boxes;
  CommandLineRun run = RunCommandLine(commandText, *loader, boxes);
  // Ending here is immediate: no unload step runs, settings and tray are never touched.
  if (!run.goOnInTray)
    ExitProcess(static_cast<UINT>(run.exitCode));
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      FormLoad();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace corvalinde

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace corvalinde;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_CORVALINDE));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (!RegisterClassExW(&windowClass))
    return 1;

  // Never shown: it only hosts start-up now, and the tray machinery later.
  HWND window =
      CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 320, 240, nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
