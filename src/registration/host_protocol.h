// What the program and its registration host say to each other: the host's command line, the
// line it writes once the module is loaded, and its report of the outcome.
//
// The command is
//   /host <action>[ /user] /token <token>[ /limit <ms>][ /capture <key>][ /scratch <key>]
//     [ /install <how><text>][ /digest <sha-256>] /filename <path>
// The action is one letter: R registers, U unregisters, and a classes host's own D removes and
// W writes back what a .reg file of classes names; /user registers for the current user only; the
// token, made anew for each launch, names the channel the parent made for this host and starts
// every line the host reports, so that nothing else (a module printing, a host command typed by
// hand) passes for a host; /limit is the engine's time limit in milliseconds when it is not the
// usual one; /install asks for DllInstall too ("r": with the server's entry point, "n": alone) with
// its command-line text as hexadecimal UTF-16 (it may hold anything, " /" included); /capture names
// the scratch key under HKEY_CURRENT_USER a capture maps the roots to; /scratch the one a
// registration for this user only maps HKEY_LOCAL_MACHINE to; /digest, for the classes actions, the
// SHA-256 of the .reg file's bytes as the program read and showed them, in 64 lower-case
// hexadecimal digits; the path runs to the end of the text, so it may hold any character. Several
// paths, joined by "|" (which no Windows file name holds), are run one after the other, each
// reported. The switch is internal; a command text that names it in any other form is refused as
// invalid parameters, and so is a well-formed one whose channel does not exist.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registration/action.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

struct HostCommand {
  Action action = Action::Register;
  std::wstring file;
  RegistrationScope scope = RegistrationScope::Machine;
  std::wstring token{};       // 32 hexadecimal digits
  std::wstring captureKey{};  // not empty: a capture (CaptureModule) instead of the mode
  std::wstring scratchKey{};  // with /user: where HKEY_LOCAL_MACHINE is mapped
  std::chrono::milliseconds limit = kRegistrationTimeLimit;
  std::optional<InstallStep> install{};
  std::wstring digest{};  // the classes actions' file, as the user was shown it
  // Set: a classes host, which does this instead of `action`.
  std::optional<ClassesAction> classes{};
};

std::wstring HostArguments(const HostCommand& command);
// The files a command names, in order.
std::vector<std::wstring> HostFiles(const HostCommand& command);
inline constexpr wchar_t kHostFileSeparator = L'|';
std::optional<HostCommand> ParseHostCommand(std::wstring_view commandText);
// True when the text names the host switch at all (well-formed or not).
bool NamesHostSwitch(std::wstring_view commandText);

// 128 random bits as 32 hexadecimal digits.
std::wstring NewHostToken();

// The line the host writes once the module's load is over.
std::string HostLoadedMark(std::wstring_view token);
// One line: the token, the outcome, entry status, load error and architecture as numbers.
std::string HostReport(std::wstring_view token, const RegistrationResult& result);
// How every report of a launch starts.
std::string HostReportStart(std::wstring_view token);
// Every well-formed report with this token, in order.
std::vector<RegistrationResult> ParseHostReports(std::string_view output, std::wstring_view token);
// The last report with this token in what the host wrote; nothing when there is none or it is
// malformed.
std::optional<RegistrationResult> ParseHostReport(std::string_view output, std::wstring_view token);

}  // namespace corvalinde
