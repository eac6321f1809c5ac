// A registration for this user only maps HKEY_LOCAL_MACHINE to a scratch key whose
// Software\Classes leads to the user's classes (per_user_classes.h). Afterwards what the module
// wrote there for the machine outside its classes was not applied: it is named, and the scratch
// key goes.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

// The keys written for the machine, outside the classes, as "HKEY_LOCAL_MACHINE\...": each key
// the module made directly under HKEY_LOCAL_MACHINE or its Software key.
std::vector<std::wstring> MachineKeysNotApplied(platform::Registry& registry,
                                                const std::wstring& scratchKey);

// What a message adds for them: a CRLF and a line for each of the first five, then how many
// more; nothing when there are none.
std::wstring NotAppliedLines(const RegistrationResult& result);

}  // namespace corvalinde
