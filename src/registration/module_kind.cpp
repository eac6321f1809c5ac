#include "registration/module_kind.h"

#include "common/letter_case.h"
#include "platform/path_parts.h"

namespace corvalinde {

std::wstring LowerExtension(const std::wstring& fileName) {
  return ToLowerText(platform::ExtensionOf(fileName));
}

ModuleKind KindOfModule(const std::wstring& fileName) {
  const std::wstring extension = LowerExtension(fileName);
  if (extension == L".tlb" || extension == L".olb") return ModuleKind::TypeLibrary;
  if (extension == L".exe") return ModuleKind::ServerProgram;
  return ModuleKind::Library;
}

const wchar_t* ServerProgramSwitch(bool registering, bool forUser) {
  if (registering) return forUser ? L"/RegServerPerUser" : L"/RegServer";
  return forUser ? L"/UnregServerPerUser" : L"/UnregServer";
}

}  // namespace corvalinde
