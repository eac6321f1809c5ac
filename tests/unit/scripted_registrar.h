// A registrar that answers as scripted: every run and capture gives `result`, every run as
// administrator gives `elevated` (nothing: the user refused the prompt). All record what they
// were asked; what a module would write is up to the hooks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "registration/reg_unreg_module.h"

namespace corvalinde::testing {

struct ScriptedRegistrar final : Registrar {
  RegistrationResult Run(const std::wstring& fileName, Action action,
                         RegistrationScope scope) override {
    runs.push_back(fileName);
    actions.push_back(action);
    if (whileRunning) whileRunning();
    scopes.push_back(scope);
    return result;
  }
  // What a module would write during the capture is up to `whileCapturing`.
  RegistrationResult Capture(const std::wstring& fileName,
                             const std::wstring& scratchKey) override {
    captures.push_back(fileName);
    if (whileCapturing) whileCapturing(scratchKey);
    return result;
  }
  std::optional<RegistrationResult> RunAsAdministrator(const std::wstring& fileName, Action,
                                                       RegistrationScope) override {
    elevatedRuns.push_back(fileName);
    if (elevatedRefusedFrom && elevatedRuns.size() > *elevatedRefusedFrom) return std::nullopt;
    return elevated;
  }

  RegistrationResult result;
  std::optional<RegistrationResult> elevated;
  std::optional<std::size_t> elevatedRefusedFrom;  // the prompts after that many are refused
  std::function<void(const std::wstring&)> whileCapturing;
  std::function<void()> whileRunning;  // what a run does to the registry
  std::vector<std::wstring> runs, elevatedRuns, captures;
  std::vector<RegistrationScope> scopes;
  std::vector<Action> actions;
};

// What an unelevated registration under HKEY_LOCAL_MACHINE gets.
inline RegistrationResult AccessDenied() {
  RegistrationResult refused;
  refused.outcome = RegEntryFailed;
  refused.entryStatus = static_cast<std::int32_t>(0x80070005);
  return refused;
}

}  // namespace corvalinde::testing
