// The registration engine: load one module, run its DllRegisterServer or DllUnregisterServer on
// a worker thread, and wait for it at most a fixed time. It shows nothing; callers report.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pe/dependency_walk.h"
#include "platform/module_loader.h"
#include "registration/module_architecture.h"

namespace corvalinde {

enum RegOutcome : std::int32_t {
  RegDone = -1,              // the entry point ran and returned a success code (S_FALSE included)
  RegEntryMissing = 0,       // the mode names no action, the export is missing, or no thread
  RegTimeout = 1,            // the worker did not end in time; the module stays loaded
  RegModuleInvalid = 2,      // the module cannot be loaded
  RegEntryFailed = 3,        // the entry point ran and returned a failure HRESULT
  RegWrongArchitecture = 4,  // the module is built for another processor: not even loaded
  RegCrashed = 5,            // the host ended without a report: an exception, or ExitProcess
  RegWrongTwin = 6,          // the build beside us that should host it is of another processor
  RegScopeFailed = 7,        // HKEY_CLASSES_ROOT could not be mapped to the user's classes
  RegCaptureFailed = 8,      // a capture's scratch keys or its .reg file could not be written
};

// Where a registration writes: HKEY_CLASSES_ROOT as it is (for every user, which needs
// administrator rights), or mapped to HKEY_CURRENT_USER\Software\Classes (this user only).
enum class RegistrationScope { Machine, User };

struct RegistrationResult {
  RegOutcome outcome = RegEntryMissing;
  std::int32_t entryStatus = 0;  // the entry point's HRESULT, for RegDone and RegEntryFailed
  // The platform's reason, for RegModuleInvalid, RegScopeFailed and RegCaptureFailed.
  std::uint32_t loadError = 0;
  ModuleArchitecture architecture = ModuleArchitecture::Unknown;  // for RegWrongArchitecture
  std::uint32_t crashCode = 0;  // for RegCrashed: the exception code, or the process's exit code
  std::wstring twin{};          // for RegWrongTwin: the program that is not the twin it seems
  // What the module needs and the system would not find, when that may explain the outcome
  // (filled by the registrar in the program's own process, never by a host).
  std::vector<pe::DependencyProblem> dependencies{};
  // For this user only: the keys the module wrote for the machine outside its classes, which
  // were not applied (filled by the registrar in the program's own process).
  std::vector<std::wstring> notApplied{};
};

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

  virtual RegistrationResult Run(const std::wstring& fileName, const std::wstring& mode,
                                 RegistrationScope scope) = 0;
  // Runs the module's DllRegisterServer with the registry's roots mapped to keys under
  // HKEY_CURRENT_USER\<scratchKey> (captured_roots.h), which the caller reads and deletes.
  virtual RegistrationResult Capture(const std::wstring& fileName,
                                     const std::wstring& scratchKey) = 0;
  // The same with administrator rights (Windows asks the user first); nothing when the user
  // refused.
  virtual std::optional<RegistrationResult> RunAsAdministrator(const std::wstring& fileName,
                                                               const std::wstring& mode,
                                                               RegistrationScope scope) = 0;
  // Several files with administrator rights, asking as few times as it can (here: once a
  // file). Nothing when the user refused the first prompt; otherwise an outcome for each file
  // in order, none for a file the run never reached (a later prompt refused, or a module
  // before it that crashed or hung).
  using RetriedOutcomes = std::vector<std::optional<RegistrationResult>>;
  virtual std::optional<RetriedOutcomes> RunAllAsAdministrator(
      const std::vector<std::wstring>& fileNames, const std::wstring& mode,
      RegistrationScope scope) {
    RetriedOutcomes outcomes(fileNames.size());
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
      outcomes[i] = RunAsAdministrator(fileNames[i], mode, scope);
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

// Whether the mode names an action: "R" or empty registers, "U" or "u" unregisters.
bool NamesAnAction(const std::wstring& mode);

// Mode "R" or empty registers, "U" or "u" unregisters; anything else (even "r") runs nothing.
// The file name goes to the loader unchanged. A module whose header names another processor
// than this build's is not loaded at all.
RegistrationResult RegUnregModule(const std::wstring& fileName, const std::wstring& mode,
                                  platform::ModuleLoader& loader,
                                  std::chrono::milliseconds limit = kRegistrationTimeLimit,
                                  const std::optional<InstallStep>& install = std::nullopt);

// The engine in the scope asked for: for this user only, HKEY_CLASSES_ROOT is mapped to the
// user's classes (and type libraries registered per user) from before the module is loaded
// until the engine is done, and with `machineScratch` HKEY_LOCAL_MACHINE too
// (per_user_classes.h), so that nothing reaches the machine's keys. The mapping is
// process-wide: only a host that ends right after uses it, so the program's own process never
// has it.
RegistrationResult RegUnregModuleInScope(const std::wstring& fileName, const std::wstring& mode,
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
  RegistrationResult Run(const std::wstring& fileName, const std::wstring& mode,
                         RegistrationScope scope) override;
  RegistrationResult Capture(const std::wstring& fileName, const std::wstring& scratchKey) override;
  // This process has what rights it has: the same run again.
  std::optional<RegistrationResult> RunAsAdministrator(const std::wstring& fileName,
                                                       const std::wstring& mode,
                                                       RegistrationScope scope) override {
    return Run(fileName, mode, scope);
  }

 private:
  platform::ModuleLoader& loader_;
};

}  // namespace corvalinde
