#include "registration/host_registrar.h"

#include "registration/architecture_handoff.h"
#include "registration/host_protocol.h"

namespace corvalinde {

RegistrationResult OutcomeOfHost(const platform::HostRun& run) {
  RegistrationResult result;
  if (!run.started) {
    result.outcome = RegModuleInvalid;
    result.loadError = run.startError;
  } else if (auto report = ParseHostReport(run.output)) {
    result = *report;
  } else if (run.timedOut) {
    result.outcome = RegTimeout;
  } else {
    result.outcome = RegCrashed;
    result.crashCode = run.exitCode;
  }
  return result;
}

RegistrationResult HostRegistrar::Run(const std::wstring& fileName, const std::wstring& mode,
                                      RegistrationScope scope) {
  std::wstring host = executablePath_;
  ModuleArchitecture architecture = ReadModuleArchitecture(fileName);
  if (architecture != ModuleArchitecture::Unknown && architecture != RunningArchitecture()) {
    RegistrationResult result;
    result.architecture = architecture;
    std::optional<std::wstring> twin = FindTwin(architecture, executablePath_);
    if (!twin) {
      result.outcome = RegWrongArchitecture;
      return result;
    }
    // A copy of this build under the twin's name would hand the module on to itself.
    if (ReadModuleArchitecture(*twin) != architecture) {
      result.outcome = RegWrongTwin;
      result.twin = *twin;
      return result;
    }
    host = *twin;
  }
  // The engine takes no mode as "R"; any other text but one character names no entry point.
  std::wstring hostMode = mode.empty() ? L"R" : mode.size() == 1 ? mode : L"?";
  platform::HostRun run = launcher_.Run(host, HostArguments({hostMode, fileName, scope, {}}),
                                        kHostLoadedMark, kRegistrationTimeLimit + kHostStartMargin,
                                        kRegistrationTimeLimit + kHostStartMargin);
  return OutcomeOfHost(run);
}

}  // namespace corvalinde
