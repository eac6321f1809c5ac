#include "registration/reg_unreg_module.h"

#include <string_view>
#include <utility>

#include "platform/captured_roots.h"
#include "platform/per_user_classes.h"
#include "registration/dependency_diagnosis.h"
#include "registration/module_kind.h"

namespace corvalinde {
namespace {

const char* EntryPointName(Action action) {
  return action == Action::Register ? "DllRegisterServer" : "DllUnregisterServer";
}

// Runs one entry point of `module` under `limit`; whether the run goes on (the outcome is in
// `result`). A worker that does not end keeps the module, abandoned, for ever.
bool RunEntryPoint(std::unique_ptr<platform::LoadedModule>& module, platform::ModuleLoader& loader,
                   const char* name, const std::optional<platform::InstallArguments>& arguments,
                   std::chrono::milliseconds limit, RegistrationResult& result) {
  result.outcome = RegEntryMissing;
  platform::EntryPoint entry = module->Find(name);
  if (!entry) return false;
  std::unique_ptr<platform::Worker> worker = loader.StartWorker(entry, arguments);
  if (!worker) return false;
  if (worker->WaitFor(limit) != platform::WaitResult::Ended) {
    loader.Abandon(std::move(module), std::move(worker));
    result.outcome = RegTimeout;
    return false;
  }
  result.entryStatus = worker->ExitStatus();
  result.outcome = result.entryStatus < 0 ? RegEntryFailed : RegDone;
  return result.outcome == RegDone;  // the thread handle goes here, before the module
}

// A server program registers itself in a process of its own, which is ended at the limit.
RegistrationResult RunServerProgram(const std::wstring& fileName, Action action,
                                    platform::ModuleLoader& loader, std::chrono::milliseconds limit,
                                    bool forUser) {
  RegistrationResult result;
  const bool registering = action == Action::Register;
  std::unique_ptr<platform::Worker> program =
      loader.StartProgram(fileName, ServerProgramSwitch(registering, forUser), result.loadError);
  if (!program) {
    result.outcome = RegModuleInvalid;
    return result;
  }
  if (program->WaitFor(limit) != platform::WaitResult::Ended) {
    result.outcome = RegTimeout;
    return result;
  }
  // Its exit code, not an HRESULT: anything but 0 is a failure.
  result.entryStatus = program->ExitStatus();
  result.outcome = result.entryStatus == 0 ? RegDone : RegEntryFailed;
  return result;
}

RegistrationResult RunModule(const std::wstring& fileName, Action action,
                             platform::ModuleLoader& loader, std::chrono::milliseconds limit,
                             const std::optional<InstallStep>& install, bool forUser) {
  RegistrationResult result;
  const ModuleKind kind = KindOfModule(fileName);
  if (kind == ModuleKind::ServerProgram) {
    if (install) return result;  // a program has no DllInstall: RegEntryMissing
    return RunServerProgram(fileName, action, loader, limit, forUser);
  }
  std::unique_ptr<platform::LoadedModule> module;
  if (kind == ModuleKind::TypeLibrary) {
    module = loader.LoadTypeLibrary(fileName, forUser, result.loadError);
  } else {
    ModuleArchitecture architecture = ReadModuleArchitecture(fileName);
    if (architecture != ModuleArchitecture::Unknown && architecture != RunningArchitecture()) {
      result.outcome = RegWrongArchitecture;
      result.architecture = architecture;
      return result;
    }
    module = loader.Load(fileName, result.loadError);
  }
  if (!module) {
    result.outcome = RegModuleInvalid;
    return result;
  }

  const char* name = EntryPointName(action);
  if (!install) {
    RunEntryPoint(module, loader, name, std::nullopt, limit, result);
    return result;
  }
  // regsvr32's order: the server registers before it installs, and uninstalls before it
  // unregisters.
  const bool registering = action == Action::Register;
  const platform::InstallArguments arguments{registering, install->commandLine};
  if (registering && install->serverEntryPoint &&
      !RunEntryPoint(module, loader, name, std::nullopt, limit, result)) {
    return result;
  }
  if (!RunEntryPoint(module, loader, "DllInstall", arguments, limit, result) || registering ||
      !install->serverEntryPoint) {
    return result;
  }
  RunEntryPoint(module, loader, name, std::nullopt, limit, result);
  return result;
}

}  // namespace

RegistrationResult RegUnregModule(const std::wstring& fileName, Action action,
                                  platform::ModuleLoader& loader, std::chrono::milliseconds limit,
                                  const std::optional<InstallStep>& install) {
  return RunModule(fileName, action, loader, limit, install, false);
}

bool NeedsAdministrator(const RegistrationResult& result) {
  constexpr std::uint32_t kAccessDenied = 0x80070005, kTypeLibRegistryAccess = 0x8002801C;
  auto status = static_cast<std::uint32_t>(result.entryStatus);
  return result.outcome == RegEntryFailed &&
         (status == kAccessDenied || status == kTypeLibRegistryAccess);
}

RegistrationResult RegUnregModuleInScope(const std::wstring& fileName, Action action,
                                         RegistrationScope scope, platform::ModuleLoader& loader,
                                         const std::wstring& machineScratch,
                                         std::chrono::milliseconds limit,
                                         const std::optional<InstallStep>& install) {
  if (scope == RegistrationScope::Machine) {
    return RegUnregModule(fileName, action, loader, limit, install);
  }
  RegistrationResult result;
  std::uint32_t error = platform::MapClassesRootToCurrentUser();
  if (!error && !machineScratch.empty()) {
    error = platform::MapMachineToScratch(machineScratch);
    if (error) platform::RestoreClassesRoot();
  }
  if (error) {
    result.outcome = RegScopeFailed;
    result.loadError = error;
    return result;
  }
  result = RunModule(fileName, action, loader, limit, install, true);
  // Whatever the module itself did to the predefined keys. A worker still running after a
  // time-out keeps the mapping: undone, its writes would go to the machine's keys.
  if (result.outcome != RegTimeout) {
    platform::RestoreClassesRoot();
    if (!machineScratch.empty()) platform::RestoreMachineRoot();
  }
  return result;
}

RegistrationResult CaptureModule(const std::wstring& fileName, const std::wstring& scratchKey,
                                 platform::ModuleLoader& loader, std::chrono::milliseconds limit) {
  RegistrationResult result;
  if (std::uint32_t error = platform::MapRootsToScratch(scratchKey)) {
    result.outcome = RegCaptureFailed;
    result.loadError = error;
    return result;
  }
  result = RegUnregModule(fileName, Action::Register, loader, limit);
  // A worker still running after a time-out keeps the mapping, so that nothing it writes
  // reaches the real registry; the host ends right after.
  if (result.outcome != RegTimeout) platform::RestoreCapturedRoots();
  return result;
}

RegistrationResult InProcessRegistrar::Capture(const std::wstring& fileName,
                                               const std::wstring& scratchKey) {
  RegistrationResult result = CaptureModule(fileName, scratchKey, loader_, TimeLimit());
  DiagnoseDependencies(result, fileName);
  return result;
}

RegistrationResult InProcessRegistrar::Run(const std::wstring& fileName, Action action,
                                           RegistrationScope scope) {
  RegistrationResult result =
      RegUnregModuleInScope(fileName, action, scope, loader_, {}, TimeLimit(), Install());
  DiagnoseDependencies(result, fileName);
  return result;
}

}  // namespace corvalinde
