// The servers COM would start for a class, read from the registry: its InprocServer32 module
// and its LocalServer32 command line, or those of the class its TreatAs (else its AutoTreatAs)
// names, which COM creates in its place.
#pragma once

#include <string>

#include "browser/registered_file.h"
#include "platform/registry.h"

namespace corvalinde {

// The class created when `clsid` is asked for, below `classes` (HKEY_CLASSES_ROOT, or an open
// Software\Classes key): TreatAs and AutoTreatAs followed a few steps, up to a class met
// before; `clsid` itself when neither names another class.
std::wstring ClassCreatedFor(platform::Registry& registry, platform::RegKey classes,
                             const std::wstring& clsid);

// The class's own servers, blanks around them removed; empty when it names none (or is not
// registered).
ClassServers ServersOf(platform::Registry& registry, platform::RegKey classes,
                       const std::wstring& clsid);

// Whether two readings name the same servers (letter case aside, as the registry compares).
bool SameServers(const ClassServers& a, const ClassServers& b);

}  // namespace corvalinde
