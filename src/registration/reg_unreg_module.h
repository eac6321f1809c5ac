// The registration engine: load one module, run its DllRegisterServer or DllUnregisterServer on
// a worker thread, and wait for it at most a fixed time. It shows nothing; callers report.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/module_loader.h"
#include "registration/action.h"
#include "registration/registration_result.h"

namespace corvalinde {

// How long a module's load, then its entry point, may take unless the user said otherwise
// ("/timeout"); and the most the user may say.
inline constexpr std::chrono::milliseconds kRegistrationTimeLimit{10000};
inline constexpr std::chrono::seconds kLongestTimeLimit{600};

// regsvr32's /i and /n: DllInstall with this text, after DllRegisterServer (when registering)
// or before DllUnregisterServer (when unregistering); without `serverEntryPoint`, DllInstall
// alone. Each call has the time limit.
struct InstallStep {
  std::wstring commandLine;
  bool serverEntryPoint = true;
};

// Registers or unregisters one module and gives the outcome; shows nothing.
class Registrar {
 public:
  virtual ~Registrar() = default;
  // The time limit of every run from now on.
  void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
  std::chrono::milliseconds TimeLimit() const { return timeLimit_; }
  // DllInstall too, in every run from now on (none: only the server's entry point).
  void SetInstallStep(std::optional<InstallStep> install) { install_ = std::move(install); }
  const std::optional<InstallStep>& Install() const { return install_; }
  // Whether a run that takes long says so in a window (not in a silent run).
  void SetShowsProgress(bool shows) { showsProgress_ = shows; }
  bool ShowsProgress() const { return showsProgress_; }

  virtual RegistrationResult Run(const std::wstring& fileName, Action action,
                                 RegistrationScope scope) = 0;
  // Runs the module's DllRegisterServer with the registry's roots mapped to keys under
  // HKEY_CURRENT_USER\<scratchKey> (captured_roots.h), which the caller reads and deletes.
  virtual RegistrationResult Capture(const std::wstring& fileName,
                                     const std::wstring& scratchKey) = 0;
  // The same with administrator rights (Windows asks the user first); nothing when the user
  // refused.
  virtual std::optional<RegistrationResult> RunAsAdministrator(const std::wstring& fileName,
                                                               Action action,
                                                               RegistrationScope scope) = 0;
  // Several files with administrator rights, asking as few times as it can (here: once a
  // file). Nothing when the user refused the first prompt; otherwise an outcome for each file
  // in order, none for a file the run never reached (a later prompt refused, or a module
  // before it that crashed or hung).
  using RetriedOutcomes = std::vector<std::optional<RegistrationResult>>;
  virtual std::optional<RetriedOutcomes> RunAllAsAdministrator(
      const std::vector<std::wstring>& fileNames, Action action, RegistrationScope scope) {
    RetriedOutcomes outcomes(fileNames.size());
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
      outcomes[i] = RunAsAdministrator(fileNames[i], action, scope);
      if (!outcomes[i]) break;
    }
    if (!fileNames.empty() && !outcomes[0]) return std::nullopt;
    return outcomes;
  }

 private:
  std::chrono::milliseconds timeLimit_ = kRegistrationTimeLimit;
  bool showsProgress_ = true;
  std::optional<InstallStep> install_;
};

// A refusal that administrator rights would lift: the entry point failed with access denied
// (E_ACCESSDENIED, also what a refused registry call gives) or TYPE_E_REGISTRYACCESS.
bool NeedsAdministrator(const RegistrationResult& result);

// Runs the module's DllRegisterServer or DllUnregisterServer (a type library or a server
// program registers its own way: module_kind.h). The file name goes to the loader unchanged. A
// module whose header names another processor than this build's is not loaded at all.
RegistrationResult RegUnregModule(const std::wstring& fileName, Action action,
                                  platform::ModuleLoader& loader,
                                  std::chrono::milliseconds limit = kRegistrationTimeLimit,
                                  const std::optional<InstallStep>& install = std::nullopt);

// The engine in the scope asked for: for this user only, HKEY_CLASSES_ROOT is mapped to the
// user's classes (and type libraries registered per user) from before the module is loaded
// until the engine is done, and with `machineScratch` HKEY_LOCAL_MACHINE too
// (per_user_classes.h), so that nothing reaches the machine's keys. The mapping is
// process-wide: only a host that ends right after uses it, so the program's own process never
// has it.
RegistrationResult RegUnregModuleInScope(const std::wstring& fileName, Action action,
                                         RegistrationScope scope, platform::ModuleLoader& loader,
                                         const std::wstring& machineScratch = {},
                                         std::chrono::milliseconds limit = kRegistrationTimeLimit,
                                         const std::optional<InstallStep>& install = std::nullopt);

// The engine with every root a module writes under mapped to HKEY_CURRENT_USER\<scratchKey>
// (captured_roots.h) from before the module is loaded until the engine is done; process-wide,
// like the per-user mapping.
RegistrationResult CaptureModule(const std::wstring& fileName, const std::wstring& scratchKey,
                                 platform::ModuleLoader& loader,
                                 std::chrono::milliseconds limit = kRegistrationTimeLimit);

// The engine in this very process: what tests and benchmarks use.
class InProcessRegistrar final : public Registrar {
 public:
  explicit InProcessRegistrar(platform::ModuleLoader& loader) : loader_(loader) {}
  // With the dependency diagnosis a host's parent adds.
  RegistrationResult Run(const std::wstring& fileName, Action action,
                         RegistrationScope scope) override;
  RegistrationResult Capture(const std::wstring& fileName, const std::wstring& scratchKey) override;
  // This process has what rights it has: the same run again.
  std::optional<RegistrationResult> RunAsAdministrator(const std::wstring& fileName, Action action,
                                                       RegistrationScope scope) override {
    return Run(fileName, action, scope);
  }

 private:
  platform::ModuleLoader& loader_;
};

}  // namespace corvalinde
