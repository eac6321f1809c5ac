// The hidden first window (frmMain). Its creation runs the start-up (the "load handler"): a
// command-line run, then (with no arguments, or "/visible 1") tray mode, where it owns the tray
// icon's callback control picTrayControl, the popup menu mnuMenu and the settings.
#pragma once

#include <windows.h>

#include <optional>

#include "app/command_line_run.h"

namespace corvalinde {

// Creates the main window, whose creation runs the command line (or takes `silentRun`, already
// made), and runs the message loop; the process's exit code.
int RunMainWindow(HINSTANCE instance, std::optional<CommandLineRun> silentRun);

}  // namespace corvalinde
