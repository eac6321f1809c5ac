// Starting another program and waiting for it: how a build hands a module of the other
// architecture to its twin, as regsvr32 does with its SysWOW64 sibling.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace corvalinde::platform {

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // Starts `program` with this argument text, waits for it to end and gives its exit code;
  // nothing when it cannot be started.
  virtual std::optional<std::uint32_t> RunAndWait(const std::wstring& program,
                                                  const std::wstring& arguments) = 0;
};

// CreateProcess on Windows; elsewhere the program is run through /bin/sh.
std::unique_ptr<ProgramLauncher> MakeSystemProgramLauncher();

}  // namespace corvalinde::platform
