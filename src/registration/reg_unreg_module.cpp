#include "registration/reg_unreg_module.h"

#include <utility>

#include "platform/captured_roots.h"
#include "platform/per_user_classes.h"
#include "registration/dependency_diagnosis.h"

namespace corvalinde {
namespace {

const char* EntryPointName(const std::wstring& mode) {
  if (mode == L"R" || mode.empty()) return "DllRegisterServer";
  if (mode == L"U" || mode == L"u") return "DllUnregisterServer";
  return nullptr;
}

}  // namespace

RegistrationResult RegUnregModule(const std::wstring& fileName, const std::wstring& mode,
                                  platform::ModuleLoader& loader, std::chrono::milliseconds limit) {
  RegistrationResult result;
  ModuleArchitecture architecture = ReadModuleArchitecture(fileName);
  if (architecture != ModuleArchitecture::Unknown && architecture != RunningArchitecture()) {
    result.outcome = RegWrongArchitecture;
    result.architecture = architecture;
    return result;
  }
  std::unique_ptr<platform::LoadedModule> module = loader.Load(fileName, result.loadError);
  if (!module) {
    result.outcome = RegModuleInvalid;
    return result;
  }

  const char* name = EntryPointName(mode);
  platform::EntryPoint entry = name ? module->Find(name) : platform::EntryPoint{};
  if (!entry) return result;  // RegEntryMissing; the module is released on the way out

  std::unique_ptr<platform::Worker> worker = loader.StartWorker(entry);
  if (!worker) return result;

  if (worker->WaitFor(limit) != platform::WaitResult::Ended) {
    loader.Abandon(std::move(module), std::move(worker));
    result.outcome = RegTimeout;
    return result;
  }

  result.entryStatus = worker->ExitStatus();
  result.outcome = result.entryStatus < 0 ? RegEntryFailed : RegDone;
  worker.reset();  // the thread handle goes before the module
  return result;
}

bool NeedsAdministrator(const RegistrationResult& result) {
  constexpr std::uint32_t kAccessDenied = 0x80070005, kTypeLibRegistryAccess = 0x8002801C;
  auto status = static_cast<std::uint32_t>(result.entryStatus);
  return result.outcome == RegEntryFailed &&
         (status == kAccessDenied || status == kTypeLibRegistryAccess);
}

RegistrationResult RegUnregModuleInScope(const std::wstring& fileName, const std::wstring& mode,
                                         RegistrationScope scope, platform::ModuleLoader& loader,
                                         const std::wstring& machineScratch,
                                         std::chrono::milliseconds limit) {
  if (scope == RegistrationScope::Machine) return RegUnregModule(fileName, mode, loader, limit);
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
  result = RegUnregModule(fileName, mode, loader, limit);
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
  result = RegUnregModule(fileName, L"R", loader, limit);
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

RegistrationResult InProcessRegistrar::Run(const std::wstring& fileName, const std::wstring& mode,
                                           RegistrationScope scope) {
  RegistrationResult result =
      RegUnregModuleInScope(fileName, mode, scope, loader_, {}, TimeLimit());
  DiagnoseDependencies(result, fileName);
  return result;
}

}  // namespace corvalinde
