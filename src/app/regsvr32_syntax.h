// regsvr32's own command line, as a script written for regsvr32 gives it:
//   [/u] [/s] [/n] [/i[:cmdline]] module [module ...]
// Switches may start with "/" or "-", in any letter case, anywhere among the modules; a module
// name with blanks is quoted. A command text is read this way when it has no "/filename".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

struct Regsvr32Command {
  bool unregister = false;                // /u
  bool silent = false;                    // /s
  bool skipEntryPoint = false;            // /n: with /i, DllInstall alone
  std::optional<std::wstring> install{};  // /i or /i:cmdline: DllInstall, with that text
  std::vector<std::wstring> modules{};
};

bool UsesRegsvr32Syntax(std::wstring_view commandText);
// Nothing when a switch is not regsvr32's, /n comes without /i, or no module is named.
std::optional<Regsvr32Command> ParseRegsvr32Command(std::wstring_view commandText);

}  // namespace corvalinde
