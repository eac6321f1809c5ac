#include "registration/host_protocol.h"

#include <cstdio>

#include "app/letter_case.h"

namespace corvalinde {
namespace {

constexpr std::wstring_view kHostSwitch = L"/host ";
constexpr std::wstring_view kFileSwitch = L" /filename ";
constexpr char kReportStart[] = "result ";

}  // namespace

std::wstring HostArguments(const HostCommand& command) {
  return std::wstring(kHostSwitch) + command.mode + std::wstring(kFileSwitch) + command.file;
}

std::optional<HostCommand> ParseHostCommand(std::wstring_view text) {
  std::wstring upper = ToUpperText(text);
  if (upper.rfind(ToUpperText(kHostSwitch), 0) != 0) return std::nullopt;
  std::size_t at = kHostSwitch.size();
  if (text.size() < at + 1 + kFileSwitch.size() + 1) return std::nullopt;
  std::wstring mode(text.substr(at, 1));  // any letter: the engine decides what it means
  if (mode == L" ") return std::nullopt;
  if (upper.compare(at + 1, kFileSwitch.size(), ToUpperText(kFileSwitch)) != 0) {
    return std::nullopt;
  }
  return HostCommand{mode, std::wstring(text.substr(at + 1 + kFileSwitch.size()))};
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

std::string HostReport(const RegistrationResult& result) {
  char line[96];
  std::snprintf(line, sizeof line, "%s%d %ld %lu %d\n", kReportStart,
                static_cast<int>(result.outcome), static_cast<long>(result.entryStatus),
                static_cast<unsigned long>(result.loadError),
                static_cast<int>(result.architecture));
  return line;
}

std::optional<RegistrationResult> ParseHostReport(std::string_view output) {
  std::size_t start = output.rfind(kReportStart);
  if (start == std::string_view::npos) return std::nullopt;
  std::string line(output.substr(start, output.find('\n', start) - start));
  int outcome = 0, architecture = 0;
  long status = 0;
  unsigned long error = 0;
  if (std::sscanf(line.c_str(), "result %d %ld %lu %d", &outcome, &status, &error, &architecture) !=
          4 ||
      outcome < RegDone || outcome > RegWrongArchitecture) {
    return std::nullopt;
  }
  RegistrationResult result;
  result.outcome = static_cast<RegOutcome>(outcome);
  result.entryStatus = static_cast<std::int32_t>(status);
  result.loadError = static_cast<std::uint32_t>(error);
  result.architecture = static_cast<ModuleArchitecture>(architecture);
  return result;
}

}  // namespace corvalinde
