// What a capture leaves out of its file. The scratch keys a capture maps the roots to start
// empty, and the system fills in defaults when a module's calls find a machine without them (a
// new Cryptography\MachineGuid, a retyped ProgramFilesDir): a captured value outside the
// classes that the real registry holds with other data is one the module never meant to write,
// and importing it would change the machine. It is left out of every format and named.
//
// One the machine holds with the same data changes nothing when imported, so a .reg file keeps
// it; a package must not carry it, since uninstalling the package would take it from the
// machine. The same holds for a key the registration created empty that the machine already
// has (a package removes such a key with all below it), and for the component categories, which
// every module shares. The classes themselves are what a capture is for: a module registered
// before from another place still has its own paths captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvalinde {

enum class CapturedFate {
  Kept,       // the module's own: in every format
  OnMachine,  // the machine holds it already: in a .reg file, not in a package
  Differs,    // the machine holds it with other data: in no format
};

class CaptureExclusions {
 public:
  explicit CaptureExclusions(platform::Registry& realRegistry) : real_(realRegistry) {}

  // A value; `key` as the file names it (the real root's name first).
  CapturedFate Judge(const std::wstring& key, const std::wstring& name, std::uint32_t type,
                     const std::vector<std::uint8_t>& data);
  // A key the registration created with neither values nor keys below it.
  CapturedFate JudgeEmptyKey(const std::wstring& key);

  // What was judged Differs, as "<key>\<name>" ("<key>\@" for a default value), in file order.
  const std::vector<std::wstring>& Differing() const { return differing_; }
  // What was judged OnMachine: values as above, keys as "[<key>]".
  const std::vector<std::wstring>& OnMachine() const { return onMachine_; }

 private:
  platform::Registry& real_;
  std::vector<std::wstring> differing_;
  std::vector<std::wstring> onMachine_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace corvalinde
