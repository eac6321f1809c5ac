// Whether a module is registered as it registers itself. Its registration is captured as a
// capture makes it (the same host, the same limit, the same values left out), then every key
// and value it writes is looked for in the live registry of the scope asked, in the view of
// the module's own processor, reading only: nothing is written, no rights are needed.
//
// What a module writes outside the roots a capture maps is not seen; a module that reads the
// machine's registry while it registers may write something else into the empty scratch roots
// than it did for real, and that shows as a finding.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

enum class FindingKind { MissingKey, MissingValue, DifferentValue };

struct Finding {
  FindingKind kind = FindingKind::MissingKey;
  std::wstring key;      // where the live registry should hold it, by its full name
  std::wstring value{};  // the value's name, "@" for the default
  std::wstring found{};  // the data, as a .reg file writes it
  std::wstring expected{};
};

// Which of the registry's views hold the module's classes (CLSID keys): both, on a 32-bit system.
enum class ClassViews { None, Only32, Only64, Both };

struct Verification {
  // The capture's outcome, or once compared RegDone (intact) or RegVerifyDiffers.
  RegistrationResult registration;
  std::size_t keys = 0;  // what the module writes, as compared
  std::size_t values = 0;
  std::vector<Finding> findings{};
  // Files a class of the module names in its place (its InprocServer32 names another file).
  std::vector<std::wstring> inItsPlace{};
  ClassViews views = ClassViews::None;
};

// A server program is refused as a capture refuses it (RegCaptureProgram).
Verification VerifyModule(Registrar& registrar, platform::Registry& registry,
                          const std::wstring& module, RegistrationScope scope);

}  // namespace corvalinde
