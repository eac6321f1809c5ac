#include "app/win32/tray_window.h"

#include <memory>
#include <optional>

#include "app/command_line_run.h"
#include "app/win32/command_line_start.h"
#include "app/win32/single_instance.h"
#include "app/sys_tray.h"
#include "app/tray_mode.h"
#include "app/win32/about_window.h"
#include "app/win32/modules_window.h"
#include "app/win32/options_window.h"
#include "app/win32/reg_unreg_window.h"
#include "app/win32/results_window.h"
#include "app/win32/resource_ids.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/tray_shell.h"
#include "platform/win32/work_in_progress.h"

namespace corvalinde {
namespace {

constexpr wchar_t kMainWindowCaption[] = L"Form1";
constexpr wchar_t kTrayControlClass[] = L"CorvalindeTrayControl";
constexpr UINT kFirstMenuId = 100;

class TrayControl final : public TrayOwner {
 public:
  HWND window = nullptr;
  std::uintptr_t hWnd() const override { return reinterpret_cast<std::uintptr_t>(window); }
};

// Everything tray mode keeps for the life of the process.
struct TrayState {
  HWND mainWindow = nullptr;
  HMENU menu = nullptr;
  TrayControl picTrayControl;
  TrayPicture icon;
  platform::win32::SystemTrayShell shell;
  std::unique_ptr<CSysTray> tray;
  Opzioni settings;
  std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
  std::wstring folder = platform::ExecutableFolder();
  SettingsFile settingsFile =
      LocateSettings(platform::ExecutableFolder(), platform::UserSettingsFolder());
};

TrayState* g_tray = nullptr;
UINT g_taskbarCreated = 0;

CSysTray& Tray() {
  if (!g_tray->tray) g_tray->tray = std::make_unique<CSysTray>(g_tray->shell);
  return *g_tray->tray;
}

// "Esci", and any closing of the main window: icon away, settings saved, process ended at once.
// At the end of the Windows session nothing is shown: nobody is there to answer.
[[noreturn]] void ExitNow(bool sessionEnding = false) {
  if (g_tray) {
    platform::win32::SystemMessageBoxes boxes;
    PrepareExit(Tray(), g_tray->settings, g_tray->settingsFile, sessionEnding ? nullptr : &boxes);
  }
  ExitProcess(0);
}

HMENU BuildMenu() {
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : TrayMenuItems()) {
    if (item.command == MenuCommand::Separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING, kFirstMenuId + static_cast<UINT>(item.command),
                  std::wstring(item.caption).c_str());
    }
  }
  return menu;
}

void RunMenuCommand(MenuCommand command) {
  // One modal window at a time: the menu brings the open one (or its box) to the front.
  if (command != MenuCommand::Esci && platform::win32::CurrentModalWindow()) {
    platform::win32::BringModalToFront();
    return;
  }
  switch (command) {
    case MenuCommand::RegUnReg:
      ShowRegUnregDialog(g_tray->mainWindow);
      break;
    case MenuCommand::ListaModuli:
      ShowModulesWindow(*g_tray->registry);
      break;
    case MenuCommand::Opz:
      ShowOptionsDialog(g_tray->mainWindow, g_tray->settings, *g_tray->registry, g_tray->folder);
      break;
    case MenuCommand::About:
      ShowAboutBox(g_tray->mainWindow);
      break;
    case MenuCommand::Esci:
      // Chosen while a window works (the menu opens during a registration or a load): once
      // that is over.
      if (!platform::win32::PutOffCloseWhileWorking(g_tray->mainWindow)) ExitNow();
      break;
    case MenuCommand::Separator:
      break;
  }
}

void ShowTrayMenu() {
  POINT at{};
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(g_tray->mainWindow);
  UINT chosen = TrackPopupMenu(g_tray->menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x,
                               at.y, 0, g_tray->mainWindow, nullptr);
  PostMessageW(g_tray->mainWindow, WM_NULL, 0, 0);
  if (chosen > kFirstMenuId) RunMenuCommand(static_cast<MenuCommand>(chosen - kFirstMenuId));
}

// picTrayControl: the shell hands us each action on the icon as a mouse move whose lParam is
// the mouse message that happened there.
LRESULT CALLBACK TrayControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallbackMessage && g_tray &&
      TrayEventOpensMenu(static_cast<std::uint32_t>(lParam & 0xFFFF))) {
    ShowTrayMenu();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void StartTray(HWND mainWindow) {
  g_tray = new TrayState;  // lives until the process ends
  g_tray->mainWindow = mainWindow;
  g_tray->menu = BuildMenu();
  g_tray->picTrayControl.window =
      CreateWindowExW(0, kTrayControlClass, L"", WS_CHILD, 0, 0, 32, 32, mainWindow, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
  g_tray->icon.handle = reinterpret_cast<std::uintptr_t>(
      LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CORVALINDE)));
  StartTrayMode(g_tray->settings, g_tray->settingsFile, *g_tray->registry, Tray(), g_tray->icon,
                g_tray->picTrayControl, g_tray->folder);
  // The window stays hidden: it is minimised and never restored.
}

// A silent command line's run, made before any window (see RunMainWindow).
std::optional<CommandLineRun> g_silentRun;

void FormLoad(HWND mainWindow) {
  std::wstring commandText = platform::ArgumentText();
  if (commandText.empty() && !ClaimTray(mainWindow, true)) ExitProcess(0);
  if (!commandText.empty()) {
    CommandLineRun run = g_silentRun ? *g_silentRun : RunTheCommandLine(commandText);
    // Ending here is immediate: no unload step runs, settings and tray are never touched.
    if (!run.goOnInTray || !ClaimTray(mainWindow, false)) {
      ExitProcess(static_cast<UINT>(run.exitCode));
    }
  }
  StartTray(mainWindow);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == g_taskbarCreated && g_taskbarCreated && g_tray) {
    Tray().OnTaskbarCreated();  // Explorer restarted and forgot our icon
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      FormLoad(window);
      return 0;
    case kOpenMenuMessage:
      if (g_tray) ShowTrayMenu();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) > kFirstMenuId) {
        RunMenuCommand(static_cast<MenuCommand>(LOWORD(wParam) - kFirstMenuId));
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) ExitNow(true);
      return 0;
    case WM_CLOSE:
      if (!platform::win32::PutOffCloseWhileWorking(window)) ExitNow();
      return 0;
    case WM_DESTROY:
      ExitNow();
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool RegisterClasses(HINSTANCE instance) {
  using platform::win32::RegisterWindowClass;
  return RegisterWindowClass(kMainWindowClass, MainWindowProc,
                             LoadIconW(instance, MAKEINTRESOURCEW(IDI_CORVALINDE))) &&
         RegisterWindowClass(kTrayControlClass, TrayControlProc) && RegisterAboutClass() &&
         RegisterRegUnregClass() && RegisterResultsClass() && RegisterOptionsClass() &&
         RegisterModulesClass(instance);
}

}  // namespace

int RunMainWindow(HINSTANCE instance, std::optional<CommandLineRun> silentRun) {
  g_silentRun = std::move(silentRun);
  g_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  if (!RegisterClasses(instance)) return 1;
  // Never shown: it hosts start-up and the tray machinery.
  HWND window =
      CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 320, 240, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (ModulesWindowMessage(&message)) continue;  // the modeless browser's keyboard
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace corvalinde
