// The command-line half of start-up: read the switches, register or unregister one module and
// report the outcome. What comes after (end the process, or go on into the tray) is the
// caller's, as told by the returned value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/command_line_args.h"
#include "platform/console.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "registration/capture_to_file.h"
#include "registration/outcome_table.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

struct CommandLineRun {
  bool goOnInTray = false;  // "/visible" was true
  int exitCode = 0;         // the process's exit code when it ends here
};

// The message a command-line run shows for an outcome; none for a quiet one's success. With
// `installAlone` (regsvr32's /n /i) no server entry point ran, and a success says DllInstall's.
std::optional<platform::MessageRequest> CommandLineMessage(const RegistrationResult& result,
                                                           const std::wstring& fileName,
                                                           ModalAction mode,
                                                           bool installAlone = false);

// What a command-line run works with.
struct CommandLineServices {
  Registrar& registrar;  // in the program: a host process per module (host_registrar.h)
  platform::MessageBoxes& boxes;
  bool elevated = true;  // false: a refusal that rights would lift offers to try as administrator
  // Where /check also writes its report, and a silent run ("/s") all its messages.
  platform::ConsoleOutput* console = nullptr;
  platform::Registry* registry = nullptr;  // where /capture reads and removes its keys
};

// Whether the command line asks for a silent run ("/s", in either syntax).
bool IsSilentCommandLine(std::wstring_view commandText);

// With /capture <file.reg> (and /modal R, without /user), the module's registration is captured
// to the file instead of being made (capture_to_file.h); with any other mode it is refused
// like invalid parameters.
// With /verify and /filename (no /modal), the module's registration in the scope asked (/user:
// the user's classes) is compared with what it writes (verification.h): exit 0 when intact, 10
// when missing or different, a capture's failure otherwise.
// With /check and /filename (no /modal needed), reports on the module without loading it
// (module_check.h), in a box and on the console, and ends with the check's exit code.
// Without /filename, the text is regsvr32's command line (regsvr32_syntax.h): its modules are
// registered (or with /u unregistered) in turn, with DllInstall for /i (alone with /n), and the
// exit code is the last failure's.
// With /s, whatever the run: no box, and no window while a module runs; every message goes to
// the console, and no question is asked (no offer to try again as administrator).
// Expects non-empty argument text (empty text means tray mode, which needs no run). The
// internal host switch is refused here like any invalid parameters. Without administrator
// rights, an entry point refused for want of them gets its message with the question whether
// to try again as administrator (never quietly, "/modal u", nor with /user); yes runs it
// elevated and that outcome is the run's; no, or a refused elevation prompt, ends with 5.
CommandLineRun RunCommandLine(std::wstring_view commandText, const CommandLineServices& services);

}  // namespace corvalinde
