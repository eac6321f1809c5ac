// Where the process starts, and which of its lives it leads: a registration host (no window, a
// report to the program that started it), the installer's removal, a silent command-line run
// (over before any window), or the hidden main window, which runs a visible command line and
// the tray.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/command_line_args.h"
#include "app/command_line_run.h"
#include "app/uninstall.h"
#include "app/win32/command_line_start.h"
#include "app/win32/single_instance.h"
#include "app/win32/tray_window.h"
#include "platform/files.h"
#include "platform/host_launcher.h"
#include "platform/module_loader.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "registration/classes_host.h"
#include "registration/host_side.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace corvalinde;
  // A registration host: no window, the engine, the report, and the end of the process before
  // any code of the module (its unloading included) can run again. A host command with no
  // channel behind it was typed by hand: refused below like any other misuse of the switch.
  if (auto host = ParseHostCommand(platform::ArgumentText());
      host && platform::PrepareHostProcess(host->token)) {
    auto toParent = [](std::string_view text) { platform::WriteToParent(text); };
    if (host->classes) {
      RunClassesHost(*host, *host->classes, *platform::MakeSystemRegistry(), toParent);
    } else {
      RunAsHost(*host, *platform::MakeSystemModuleLoader(), toParent);
    }
    TerminateProcess(GetCurrentProcess(), 0);
  }
  // The installer's removal: the tray of this folder ends, what the program wrote goes; no
  // window of ours, nothing to answer.
  if (IsUninstallCommandLine(platform::ArgumentText())) {
    EndFolderTray(15000);
    RemoveProgramTraces(*platform::MakeSystemRegistry(), platform::ExecutableFolder(),
                        platform::UserSettingsFolder());
    return 0;
  }
  std::optional<CommandLineRun> silentRun;
  // A silent run shows nothing: it is over before the first window, which would bring in the
  // display driver, the visual styles and the common controls (unless it stays in the tray).
  if (std::wstring commandText = platform::ArgumentText();
      !commandText.empty() && IsSilentCommandLine(commandText)) {
    silentRun = RunTheCommandLine(commandText);
    if (!silentRun->goOnInTray) ExitProcess(static_cast<UINT>(silentRun->exitCode));
  }
  return RunMainWindow(instance, std::move(silentRun));
}
