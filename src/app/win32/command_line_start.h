// A command line's run with the system's own services: a host process per module, message
// boxes, the console, the registry.
#pragma once

#include <string>

#include "app/command_line_run.h"

namespace corvalinde {

CommandLineRun RunTheCommandLine(const std::wstring& commandText);

}  // namespace corvalinde
