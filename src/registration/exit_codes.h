// Process exit codes of a command-line run. Where they mean the same they are regsvr32's, so
// scripts written for it keep working.
#pragma once

namespace corvalinde {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitInvalidParameters = 1,
  kExitModuleInvalid = 3,
  kExitEntryPointMissing = 4,
  kExitEntryPointFailed = 5,
  kExitTimeout = 6,          // regsvr32 has no time limit, so no code of its own for this
  kExitCaptureFailed = 7,    // "/capture": its file (or the scratch keys) could not be written
  kExitCrashed = 8,          // the module crashed or ended the process while it was being run
  kExitUserScopeFailed = 9,  // "/user": the user's classes could not stand in for the machine's
  // "/verify": the module's registration is missing or differs from what it writes
  kExitRegistrationDiffers = 10,
};

}  // namespace corvalinde
