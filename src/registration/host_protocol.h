// What the program and its registration host say to each other: the host's command line, the
// line it writes once the module is loaded, and its report of the outcome.
//
// The command is "/host <mode>[ /user][ /result <file>][ /capture <key>] /filename <path>": the
// mode is one character (R, U or u, or any other, which the engine refuses as it would in
// process); /user registers for the current user only; /result names the file the host writes
// to instead of its standard output (a host started through the shell has no pipe to us);
// /capture names the scratch key under HKEY_CURRENT_USER a capture maps the roots to; the
// path runs to the end of the text, so it may hold any character. The switch is internal; a command
// text that names it in any other form is refused as invalid parameters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "registration/reg_unreg_module.h"

namespace corvalinde {

struct HostCommand {
  std::wstring mode;
  std::wstring file;
  RegistrationScope scope = RegistrationScope::Machine;
  std::wstring resultFile{};  // empty: standard output
  std::wstring captureKey{};  // not empty: a capture (CaptureModule) instead of the mode
};

std::wstring HostArguments(const HostCommand& command);
std::optional<HostCommand> ParseHostCommand(std::wstring_view commandText);
// True when the text names the host switch at all (well-formed or not).
bool NamesHostSwitch(std::wstring_view commandText);

inline constexpr std::string_view kHostLoadedMark = "loaded\n";

// One line: the outcome, entry status, load error and architecture as numbers.
std::string HostReport(const RegistrationResult& result);
// The report in what the host wrote; nothing when there is none or it is malformed.
std::optional<RegistrationResult> ParseHostReport(std::string_view output);

}  // namespace corvalinde
