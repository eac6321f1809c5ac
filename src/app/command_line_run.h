// The command-line half of start-up: read the switches, register or unregister one module and
// report the outcome. What comes after (end the process, or go on into the tray) is the
// caller's, as told by the returned value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_boxes.h"
#include "platform/module_loader.h"
#include "platform/program_launcher.h"
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

// What a command-line run works with.
struct CommandLineServices {
  platform::ModuleLoader& loader;
  platform::MessageBoxes& boxes;
  platform::ProgramLauncher& launcher;  // for the build of the other architecture
  std::wstring executablePath;          // the running program, whose folder holds that build
};

// Expects non-empty argument text (empty text means tray mode, which needs no run). A module of
// the other architecture goes to the twin build beside the program when there is one; its exit
// code becomes the run's.
CommandLineRun RunCommandLine(std::wstring_view commandText, const CommandLineServices& services);

}  // namespace corvalinde
