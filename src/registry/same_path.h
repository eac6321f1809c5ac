// Whether two texts the registry holds name the same file, as Windows would find it.
#pragma once

#include <string>

#include "platform/registry.h"

namespace corvalinde {

// The same path but for letter case, short (8.3) against long names, or environment variables
// the registry expands; a text that is no path (a bare name) only as itself.
bool SamePath(platform::Registry& registry, const std::wstring& a, const std::wstring& b);

}  // namespace corvalinde
