// What the program keeps of what a registration host writes on its channel.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde::platform {

// When `output` has grown past kMostHostOutput bytes: keeps the last kMostHostOutput of them,
// and every line before them that starts with `reportMark` (at most as many bytes again). A host
// reports as it ends, but a module's thread left running after a time-out can go on writing
// after the report, and would otherwise push it out.
void KeepTheReports(std::string& output, std::string_view reportMark);

}  // namespace corvalinde::platform
