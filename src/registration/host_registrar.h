// Registration in a host process: the program never loads a module into the process that shows
// windows. Each module is handed to a host (this program, or the build of the other
// architecture beside it for a module of that kind), which runs the engine and reports; a host
// that crashes, ends on its own or hangs becomes an outcome like the others.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/host_launcher.h"
#include "platform/registry.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

// What the parent allows beyond the engine's own limits: the host's start.
inline constexpr std::chrono::milliseconds kHostStartMargin{3000};

// How a host's end reads as an outcome: its report (with the launch's token) when it wrote one;
// a time-out when it was
// stopped; otherwise a crash carrying its exit code (an exception's code, or what a module
// gave ExitProcess); a host that could not start is a module that cannot be loaded, with the
// system's reason.
RegistrationResult OutcomeOfHost(const platform::HostRun& run, std::wstring_view token);

class HostRegistrar final : public Registrar {
 public:
  // With `registry`, a registration for this user only keeps the machine's keys out of reach
  // too (user_scope_scratch.h).
  HostRegistrar(platform::HostLauncher& launcher, std::wstring executablePath,
                platform::Registry* registry = nullptr)
      : launcher_(launcher), executablePath_(std::move(executablePath)), registry_(registry) {}
  RegistrationResult Run(const std::wstring& fileName, Action action,
                         RegistrationScope scope) override;
  RegistrationResult Capture(const std::wstring& fileName, const std::wstring& scratchKey) override;
  // Only the host is started elevated; the windows stay here.
  std::optional<RegistrationResult> RunAsAdministrator(const std::wstring& fileName, Action action,
                                                       RegistrationScope scope) override;
  // The files this build hosts in one elevated host (one prompt); those of the other
  // architecture one by one, through the twin.
  std::optional<RetriedOutcomes> RunAllAsAdministrator(const std::vector<std::wstring>& fileNames,
                                                       Action action,
                                                       RegistrationScope scope) override;

 private:
  RegistrationResult RunHost(const std::wstring& fileName, Action action, RegistrationScope scope,
                             bool elevated, const std::wstring& captureKey = {});

  void Diagnose(RegistrationResult& result, const std::wstring& fileName);

  platform::HostLauncher& launcher_;
  std::wstring executablePath_;
  platform::Registry* registry_;
};

}  // namespace corvalinde
