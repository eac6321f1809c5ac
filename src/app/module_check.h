// "/check": what can be told about a module without loading it (none of its code runs): its
// architecture, whether it exports the two entry points, and what it needs that the system
// would not find.
#pragma once

#include <string>

namespace corvalinde {

struct ModuleCheck {
  std::wstring text;  // lines separated by CRLF
  int exitCode = 0;   // 0 looks loadable; 3 something is missing; 4 an entry point is missing
};

ModuleCheck CheckModule(const std::wstring& file);

}  // namespace corvalinde
