// What a capture leaves out of its file. The scratch keys a capture maps the roots to start
// empty, and the system fills in defaults when a module's calls find a machine without them (a
// new Cryptography\MachineGuid, a retyped ProgramFilesDir): a captured value outside the
// classes that the real registry holds with other data is one the module never meant to write,
// and importing it would change the machine. It is left out and named. The classes themselves
// are what a capture is for: a module registered before from another place still has its own
// paths captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvalinde {

class CaptureExclusions {
 public:
  explicit CaptureExclusions(platform::Registry& realRegistry) : real_(realRegistry) {}

  // For WriteRegFile: `key` as the file names it (the real root's name first).
  bool Keep(const std::wstring& key, const std::wstring& name, std::uint32_t type,
            const std::vector<std::uint8_t>& data);
  // The values left out, as "<key>\<name>" ("<key>\@" for a default value), in file order.
  const std::vector<std::wstring>& Excluded() const { return excluded_; }

 private:
  platform::Registry& real_;
  std::vector<std::wstring> excluded_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace corvalinde
