// The command-line half of start-up: read the switches, register or unregister one module and
// report the outcome. What comes after (end the process, or go on into the tray) is the
// caller's, as told by the returned value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_boxes.h"
#include "platform/module_loader.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

struct CommandLineRun {
  bool goOnInTray = false;  // "/visible" was true
  int exitCode = 0;         // the process's exit code when it ends here
};

// The message a command-line run shows for an outcome; none for a success in mode "u".
std::optional<platform::MessageRequest> CommandLineMessage(const RegistrationResult& result,
                                                           const std::wstring& fileName,
                                                           const std::wstring& mode);

// Expects non-empty argument text (empty text means tray mode, which needs no run).
CommandLineRun RunCommandLine(std::wstring_view commandText, platform::ModuleLoader& loader,
                              platform::MessageBoxes& boxes);

}  // namespace corvalinde
