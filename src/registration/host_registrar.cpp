#include "registration/host_registrar.h"

#include <algorithm>

#include "common/texts.h"
#include "registration/architecture_handoff.h"
#include "registration/capture_to_file.h"
#include "registration/dependency_diagnosis.h"
#include "registration/host_protocol.h"
#include "registration/module_kind.h"
#include "registration/user_scope_scratch.h"

namespace corvalinde {
namespace {

// The processor a host must be built for to take the file: any for a type library or a server
// program (which runs in a process of its own).
ModuleArchitecture ArchitectureToHost(const std::wstring& fileName) {
  return KindOfModule(fileName) == ModuleKind::Library ? ReadModuleArchitecture(fileName)
                                                       : ModuleArchitecture::Unknown;
}

}  // namespace

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
  // A silent run says nothing, even when the reading takes long.
  launcher_.RunWhileWaiting(
      ShowsProgress() ? std::wstring(texts::kCheckingDependencies) + fileName : std::wstring(),
      [&] { DiagnoseDependencies(result, fileName); });
}

RegistrationResult HostRegistrar::Run(const std::wstring& fileName, Action action,
                                      RegistrationScope scope) {
  return RunHost(fileName, action, scope, false);
}

RegistrationResult HostRegistrar::Capture(const std::wstring& fileName,
                                          const std::wstring& scratchKey) {
  return RunHost(fileName, Action::Register, RegistrationScope::Machine, false, scratchKey);
}

std::optional<RegistrationResult> HostRegistrar::RunAsAdministrator(const std::wstring& fileName,
                                                                    Action action,
                                                                    RegistrationScope scope) {
  RegistrationResult result = RunHost(fileName, action, scope, true);
  if (result.outcome == RegModuleInvalid && result.loadError == platform::kElevationRefused)
    return std::nullopt;
  return result;
}

std::optional<Registrar::RetriedOutcomes> HostRegistrar::RunAllAsAdministrator(
    const std::vector<std::wstring>& fileNames, Action action, RegistrationScope scope) {
  RetriedOutcomes outcomes(fileNames.size());
  std::vector<std::size_t> ours;
  std::wstring joined;
  for (std::size_t i = 0; i < fileNames.size(); ++i) {
    ModuleArchitecture architecture = ArchitectureToHost(fileNames[i]);
    if (architecture != ModuleArchitecture::Unknown && architecture != RunningArchitecture()) {
      continue;
    }
    if (fileNames[i].find(kHostFileSeparator) != std::wstring::npos) continue;  // no such file
    ours.push_back(i);
    joined += (joined.empty() ? L"" : std::wstring(1, kHostFileSeparator)) + fileNames[i];
  }
  bool asked = false;
  if (!ours.empty()) {
    HostCommand command{action, joined, scope, NewHostToken(), {}, {}, TimeLimit()};
    const auto limit = TimeLimit() + kHostStartMargin;
    platform::HostRun run =
        launcher_.Run(executablePath_, HostArguments(command), command.token, true,
                      std::wstring(texts::kRegistering) + fileNames[ours.front()],
                      HostLoadedMark(command.token), HostReportStart(command.token), limit, limit);
    if (!run.started && run.startError == platform::kElevationRefused) return std::nullopt;
    asked = true;
    std::vector<RegistrationResult> reports = ParseHostReports(run.output, command.token);
    for (std::size_t k = 0; k < ours.size(); ++k) {
      if (k < reports.size()) {
        outcomes[ours[k]] = reports[k];
      } else if (k == reports.size()) {
        // The module the host ended in: its crash or time-out; those after it never ran.
        platform::HostRun ended = run;
        ended.output.clear();
        outcomes[ours[k]] = OutcomeOfHost(ended, command.token);
      }
      if (outcomes[ours[k]]) Diagnose(*outcomes[ours[k]], fileNames[ours[k]]);
    }
  }
  for (std::size_t i = 0; i < fileNames.size(); ++i) {
    if (std::find(ours.begin(), ours.end(), i) != ours.end()) continue;
    outcomes[i] = RunAsAdministrator(fileNames[i], action, scope);
    if (!outcomes[i]) {
      if (!asked) return std::nullopt;
      break;
    }
    asked = true;
  }
  return outcomes;
}

RegistrationResult HostRegistrar::RunHost(const std::wstring& fileName, Action action,
                                          RegistrationScope scope, bool elevated,
                                          const std::wstring& captureKey) {
  std::wstring host = executablePath_;
  ModuleArchitecture architecture = ArchitectureToHost(fileName);
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
      result.subject = *twin;
      return result;
    }
    host = *twin;
  }
  HostCommand command{
      action,     fileName, scope,       NewHostToken(),
      captureKey, {},       TimeLimit(), captureKey.empty() ? Install() : std::nullopt};
  // For this user only, the machine's keys are mapped away too; the scratch key is ours to read
  // and delete once the host has ended (a time-out ended it).
  if (!elevated && scope == RegistrationScope::User && captureKey.empty() && registry_) {
    RemoveAbandonedCaptures(*registry_);
    command.scratchKey = NewScratchKey();
  }
  const auto limit = TimeLimit() + kHostStartMargin;
  // Both DllRegisterServer and DllInstall may take their limit before the host reports.
  const int entryCalls = command.install && command.install->serverEntryPoint ? 2 : 1;
  const auto entryLimit = entryCalls * TimeLimit() + kHostStartMargin;
  const std::wstring activity =
      ShowsProgress()
          ? std::wstring(captureKey.empty() ? texts::kRegistering : texts::kCapturing) + fileName
          : std::wstring();
  const platform::HostRun run = launcher_.Run(host, HostArguments(command), command.token, elevated,
                                              activity, HostLoadedMark(command.token),
                                              HostReportStart(command.token), limit, entryLimit);
  RegistrationResult result = OutcomeOfHost(run, command.token);
  // The twin that would not start says nothing of the module: name the program instead.
  if (!run.started && run.startError != platform::kElevationRefused && host != executablePath_) {
    result.outcome = RegTwinNotStarted;
    result.subject = host;
    result.architecture = architecture;
  }
  if (!command.scratchKey.empty()) {
    if (result.outcome == RegDone) {
      result.notApplied = MachineKeysNotApplied(*registry_, command.scratchKey);
    }
    DeleteScratchKey(*registry_, command.scratchKey);
  }
  Diagnose(result, fileName);
  return result;
}

}  // namespace corvalinde
