// What one registration, unregistration or capture came to: the outcome every caller reports,
// with what explains it. Shared by the engine, the hosts and whatever diagnoses a failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe/dependency_walk.h"
#include "registration/module_architecture.h"
#include "registry/reg_file.h"

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
  RegCaptureFailed = 8,      // a capture's scratch keys could not be made
  // The program's own ends of a capture, which no host reports:
  RegCaptureProgram = 9,      // a server program: not run, no mapping reaches its process
  RegCaptureStopped = 10,     // what the module wrote could not be read whole: no file written
  RegCaptureFileFailed = 11,  // the capture's file could not be written
  RegVerifyDiffers = 12,      // a verification found the registration missing or different
  RegTwinNotStarted = 13,     // the twin that should host it could not be started
};

// Where a registration writes: HKEY_CLASSES_ROOT as it is (for every user, which needs
// administrator rights), or mapped to HKEY_CURRENT_USER\Software\Classes (this user only).
enum class RegistrationScope { Machine, User };

struct RegistrationResult {
  RegOutcome outcome = RegEntryMissing;
  std::int32_t entryStatus = 0;  // the entry point's HRESULT, for RegDone and RegEntryFailed
  // The platform's reason, for RegModuleInvalid, RegScopeFailed, RegCaptureFailed and
  // RegCaptureFileFailed.
  std::uint32_t loadError = 0;
  ModuleArchitecture architecture = ModuleArchitecture::Unknown;  // for RegWrongArchitecture
  std::uint32_t crashCode = 0;  // for RegCrashed: the exception code, or the process's exit code
  // What the outcome names: for RegWrongTwin the program that is not the twin it seems (and for
  // RegTwinNotStarted the twin the system would not start, with its reason in `loadError`), for
  // RegCaptureStopped the key where the reading stopped, for RegCaptureFileFailed the file.
  std::wstring subject{};
  RegFileStop stop = RegFileStop::None;  // for RegCaptureStopped: why
  // What the module needs and the system would not find, when that may explain the outcome
  // (filled by the registrar in the program's own process, never by a host).
  std::vector<pe::DependencyProblem> dependencies{};
  // For this user only: the keys the module wrote for the machine outside its classes, which
  // were not applied (filled by the registrar in the program's own process).
  std::vector<std::wstring> notApplied{};
};

}  // namespace corvalinde
