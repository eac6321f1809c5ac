// The servers COM would start for a class, read from the registry: its InprocServer32 module
// and its LocalServer32 command line, or those of the class its TreatAs (else its AutoTreatAs)
// names, which COM creates in its place.
#pragma once

#include <optional>
#include <string>

#include "browser/registered_file.h"
#include "platform/registry.h"

namespace corvalinde {

// The servers COM would start when `clsid` is asked for, below `classes` (HKEY_CLASSES_ROOT, or
// an open Software\Classes key): those of the class its TreatAs (else its AutoTreatAs) names,
// followed a few steps up to a class met before, else its own (`own`, when the caller has
// read them already). Blanks around them are removed, expandable strings expanded; none when
// the class created is not registered. Nothing when `clsid` itself is not registered there.
std::optional<ClassServers> ServersCreatedFor(platform::Registry& registry,
                                              platform::RegKey classes, const std::wstring& clsid,
                                              const std::optional<ClassServers>& own = {});

// Whether two readings name the same servers (letter case aside, as the registry compares).
bool SameServers(const ClassServers& a, const ClassServers& b);

}  // namespace corvalinde
