#include "registration/host_protocol.h"

#include <algorithm>
#include <cstdio>

#include "common/letter_case.h"
#include "platform/random_name.h"

namespace corvalinde {
namespace {

constexpr std::wstring_view kHostSwitch = L"/host ";
constexpr std::wstring_view kFileSwitch = L" /filename ";
constexpr std::wstring_view kUserSwitch = L" /user";
constexpr std::wstring_view kTokenSwitch = L" /token ";
constexpr std::wstring_view kCaptureSwitch = L" /capture ";
constexpr std::wstring_view kScratchSwitch = L" /scratch ";
constexpr std::wstring_view kLimitSwitch = L" /limit ";
constexpr std::wstring_view kInstallSwitch = L" /install ";
constexpr std::wstring_view kDigestSwitch = L" /digest ";
constexpr std::size_t kDigestLength = 64;
constexpr std::size_t kTokenLength = 32;

bool IsToken(std::wstring_view text) {
  return text.size() == kTokenLength &&
         text.find_first_not_of(L"0123456789abcdef") == std::wstring_view::npos;
}

// Milliseconds, up to the longest limit a user may set; nothing written keeps the usual one.
bool ReadLimit(const std::wstring& text, std::chrono::milliseconds& limit) {
  if (text.empty()) return true;
  if (text.size() > 7 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
  limit = std::chrono::milliseconds(std::stol(text));
  return limit.count() > 0 && limit <= kLongestTimeLimit;
}

std::wstring InstallValue(const InstallStep& install) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring value(1, install.serverEntryPoint ? L'r' : L'n');
  for (wchar_t c : install.commandLine) {
    auto unit = static_cast<std::uint16_t>(c);
    for (int shift = 12; shift >= 0; shift -= 4) value.push_back(kDigits[(unit >> shift) & 0xF]);
  }
  return value;
}

wchar_t ActionLetter(const HostCommand& command) {
  if (command.classes) return *command.classes == ClassesAction::Remove ? L'D' : L'W';
  return command.action == Action::Register ? L'R' : L'U';
}

bool ReadAction(wchar_t letter, HostCommand& command) {
  switch (letter) {
    case L'R':
      command.action = Action::Register;
      return true;
    case L'U':
      command.action = Action::Unregister;
      return true;
    case L'D':
      command.classes = ClassesAction::Remove;
      return true;
    case L'W':
      command.classes = ClassesAction::Restore;
      return true;
    default:
      return false;
  }
}

bool ReadInstall(const std::wstring& value, std::optional<InstallStep>& install) {
  if (value.empty()) return true;
  if ((value[0] != L'r' && value[0] != L'n') || (value.size() - 1) % 4 != 0 ||
      value.find_first_not_of(L"0123456789abcdef", 1) != std::wstring::npos) {
    return false;
  }
  InstallStep step{{}, value[0] == L'r'};
  for (std::size_t at = 1; at < value.size(); at += 4) {
    step.commandLine.push_back(static_cast<wchar_t>(std::stoul(value.substr(at, 4), nullptr, 16)));
  }
  install = std::move(step);
  return true;
}

// Tokens are plain ASCII digits and letters.
std::string Narrow(std::wstring_view token) {
  return std::string(token.begin(), token.end());
}

}  // namespace

std::wstring NewHostToken() {
  return platform::RandomName();
}

std::wstring HostArguments(const HostCommand& command) {
  std::wstring text = std::wstring(kHostSwitch) + ActionLetter(command);
  if (command.scope == RegistrationScope::User) text += kUserSwitch;
  text += std::wstring(kTokenSwitch) + command.token;
  if (command.limit != kRegistrationTimeLimit) {
    text += std::wstring(kLimitSwitch) + std::to_wstring(command.limit.count());
  }
  if (!command.captureKey.empty()) text += std::wstring(kCaptureSwitch) + command.captureKey;
  if (!command.scratchKey.empty()) text += std::wstring(kScratchSwitch) + command.scratchKey;
  if (command.install) text += std::wstring(kInstallSwitch) + InstallValue(*command.install);
  if (!command.digest.empty()) text += std::wstring(kDigestSwitch) + command.digest;
  return text + std::wstring(kFileSwitch) + command.file;
}

std::optional<HostCommand> ParseHostCommand(std::wstring_view text) {
  std::wstring upper = ToUpperText(text);
  auto startsAt = [&](std::size_t at, std::wstring_view word) {
    return upper.compare(at, word.size(), ToUpperText(word)) == 0;
  };
  if (!startsAt(0, kHostSwitch)) return std::nullopt;
  std::size_t at = kHostSwitch.size();
  if (text.size() <= at || text[at] == L' ') return std::nullopt;
  HostCommand command;
  if (!ReadAction(text[at], command)) return std::nullopt;
  ++at;
  if (startsAt(at, kUserSwitch)) {
    command.scope = RegistrationScope::User;
    at += kUserSwitch.size();
  }
  // A value runs to the next switch: paths and key names hold no "/".
  auto takeValue = [&](std::wstring_view name, std::wstring& value) {
    if (!startsAt(at, name)) return true;
    at += name.size();
    std::size_t end = text.find(L" /", at);
    if (end == std::wstring::npos || end == at) return false;
    value = std::wstring(text.substr(at, end - at));
    at = end;
    return true;
  };
  std::wstring limit, install;
  if (!startsAt(at, kTokenSwitch) || !takeValue(kTokenSwitch, command.token) ||
      !IsToken(command.token) || !takeValue(kLimitSwitch, limit) ||
      !ReadLimit(limit, command.limit) || !takeValue(kCaptureSwitch, command.captureKey) ||
      !takeValue(kScratchSwitch, command.scratchKey) || !takeValue(kInstallSwitch, install) ||
      !ReadInstall(install, command.install) || !takeValue(kDigestSwitch, command.digest) ||
      (!command.digest.empty() &&
       (command.digest.size() != kDigestLength ||
        command.digest.find_first_not_of(L"0123456789abcdef") != std::wstring::npos))) {
    return std::nullopt;
  }
  if (!startsAt(at, kFileSwitch) || text.size() == at + kFileSwitch.size()) return std::nullopt;
  command.file = std::wstring(text.substr(at + kFileSwitch.size()));
  return command;
}

bool NamesHostSwitch(std::wstring_view text) {
  std::wstring upper = ToUpperText(text);
  for (std::size_t at = upper.find(L"/HOST"); at != std::wstring::npos;
       at = upper.find(L"/HOST", at + 1)) {
    std::size_t after = at + 5;
    if (after == upper.size() || upper[after] == L' ' || upper[after] == L'/') return true;
  }
  return false;
}

std::vector<std::wstring> HostFiles(const HostCommand& command) {
  std::vector<std::wstring> files;
  for (std::size_t start = 0; start <= command.file.size();) {
    std::size_t end = std::min(command.file.find(kHostFileSeparator, start), command.file.size());
    files.push_back(command.file.substr(start, end - start));
    start = end + 1;
  }
  return files;
}

std::string HostReportStart(std::wstring_view token) {
  return "result " + Narrow(token) + " ";
}

std::string HostLoadedMark(std::wstring_view token) {
  return "loaded " + Narrow(token) + "\n";
}

std::string HostReport(std::wstring_view token, const RegistrationResult& result) {
  char line[96];
  std::snprintf(line, sizeof line, "result %s %d %ld %lu %d\n", Narrow(token).c_str(),
                static_cast<int>(result.outcome), static_cast<long>(result.entryStatus),
                static_cast<unsigned long>(result.loadError),
                static_cast<int>(result.architecture));
  return line;
}

namespace {

// The report whose line starts at `at`, after `start`.
std::optional<RegistrationResult> ReportAt(std::string_view output, std::size_t at,
                                           std::string_view start) {
  std::size_t end = output.find('\n', at);
  if (end == std::string_view::npos) return std::nullopt;  // cut short: no report
  std::string line(output.substr(at + start.size(), end - at - start.size()));
  int outcome = 0, architecture = 0;
  long status = 0;
  unsigned long error = 0;
  if (std::sscanf(line.c_str(), "%d %ld %lu %d", &outcome, &status, &error, &architecture) != 4 ||
      outcome < RegDone || outcome > RegCaptureFailed) {
    return std::nullopt;
  }
  RegistrationResult result;
  result.outcome = static_cast<RegOutcome>(outcome);
  result.entryStatus = static_cast<std::int32_t>(status);
  result.loadError = static_cast<std::uint32_t>(error);
  result.architecture = static_cast<ModuleArchitecture>(architecture);
  return result;
}

}  // namespace

std::optional<RegistrationResult> ParseHostReport(std::string_view output,
                                                  std::wstring_view token) {
  std::vector<RegistrationResult> reports = ParseHostReports(output, token);
  if (reports.empty()) return std::nullopt;
  return reports.back();
}

std::vector<RegistrationResult> ParseHostReports(std::string_view output, std::wstring_view token) {
  std::vector<RegistrationResult> reports;
  if (!IsToken(token)) return reports;
  const std::string start = HostReportStart(token);
  for (std::size_t at = output.find(start); at != std::string_view::npos;
       at = output.find(start, at + 1)) {
    if (auto report = ReportAt(output, at, start)) reports.push_back(*report);
  }
  return reports;
}

}  // namespace corvalinde
