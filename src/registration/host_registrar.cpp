#include "registration/host_registrar.h"

#include "common/texts.h"
#include "registration/architecture_handoff.h"
#include "registration/dependency_diagnosis.h"
#include "registration/host_protocol.h"

namespace corvalinde {

RegistrationResult OutcomeOfHost(const platform::HostRun& run, std::wstring_view token) {
  RegistrationResult result;
  if (!run.started) {
    result.outcome = RegModuleInvalid;
    result.loadError = run.startError;
  } else if (auto report = ParseHostReport(run.output, token)) {
    result = *report;
  } else if (run.timedOut) {
    result.outcome = RegTimeout;
  } else {
    result.outcome = RegCrashed;
    result.crashCode = run.exitCode;
  }
  return result;
}

// Reading the files may take a while (a crafted one is bounded, not free): the windows stay
// alive meanwhile.
void HostRegistrar::Diagnose(RegistrationResult& result, const std::wstring& fileName) {
  if (!DependenciesMayExplain(result)) return;
  launcher_.RunWhileWaiting(std::wstring(texts::kCheckingDependencies) + fileName,
                            [&] { DiagnoseDependencies(result, fileName); });
}

RegistrationResult HostRegistrar::Run(const std::wstring& fileName, const std::wstring& mode,
                                      RegistrationScope scope) {
  return RunHost(fileName, mode, scope, false);
}

RegistrationResult HostRegistrar::Capture(const std::wstring& fileName,
                                          const std::wstring& scratchKey) {
  return RunHost(fileName, L"R", RegistrationScope::Machine, false, scratchKey);
}

std::optional<RegistrationResult> HostRegistrar::RunAsAdministrator(const std::wstring& fileName,
                                                                    const std::wstring& mode,
                                                                    RegistrationScope scope) {
  RegistrationResult result = RunHost(fileName, mode, scope, true);
  constexpr std::uint32_t kCancelled = 1223;  // the user said no to the elevation prompt
  if (result.outcome == RegModuleInvalid && result.loadError == kCancelled) return std::nullopt;
  return result;
}

RegistrationResult HostRegistrar::RunHost(const std::wstring& fileName, const std::wstring& mode,
                                          RegistrationScope scope, bool elevated,
                                          const std::wstring& captureKey) {
  std::wstring host = executablePath_;
  ModuleArchitecture architecture = ReadModuleArchitecture(fileName);
  if (architecture != ModuleArchitecture::Unknown && architecture != RunningArchitecture()) {
    RegistrationResult result;
    result.architecture = architecture;
    std::optional<std::wstring> twin = FindTwin(architecture, executablePath_);
    if (!twin) {
      result.outcome = RegWrongArchitecture;
      Diagnose(result, fileName);
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
  HostCommand command{mode.empty()       ? L"R"
                      : mode.size() == 1 ? mode
                                         : L"?",
                      fileName, scope, NewHostToken(), captureKey};
  constexpr auto kLimit = kRegistrationTimeLimit + kHostStartMargin;
  const std::wstring activity =
      std::wstring(captureKey.empty() ? texts::kRegistering : texts::kCapturing) + fileName;
  RegistrationResult result =
      OutcomeOfHost(launcher_.Run(host, HostArguments(command), command.token, elevated, activity,
                                  HostLoadedMark(command.token), kLimit, kLimit),
                    command.token);
  Diagnose(result, fileName);
  return result;
}

}  // namespace corvalinde
