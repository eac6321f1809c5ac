#include "app/module_check.h"

#include "registration/exit_codes.h"
#include "common/texts.h"
#include "registration/architecture_handoff.h"
#include "registration/dependency_diagnosis.h"

namespace corvalinde {

ModuleCheck CheckModule(const std::wstring& file) {
  const std::wstring crlf(texts::kCrLf);
  pe::DependencyReport report = WalkModuleDependencies(file);
  if (!report.module) {
    return {std::wstring(texts::kModuleInvalidLabel) + file + crlf +
                std::wstring(texts::kModuleInvalid),
            kExitModuleInvalid};
  }
  std::wstring architecture = ArchitectureWords(ArchitectureOfMachine(report.module->machine));
  std::wstring text = std::wstring(texts::kModuleLabel) + file + crlf +
                      std::wstring(texts::kCheckArchitecture) +
                      (architecture.empty() ? std::wstring(texts::kUnknownMachine) : architecture);
  bool entryMissing = false;
  for (const char* entry : {"DllRegisterServer", "DllUnregisterServer"}) {
    bool exported = report.module->Exports(entry);
    entryMissing |= !exported;
    text += crlf + std::wstring(entry, entry + std::char_traits<char>::length(entry)) +
            std::wstring(exported ? texts::kCheckExported : texts::kCheckNotExported);
  }
  if (!report.searched) {
    text += crlf + std::wstring(texts::kCheckNotSearched);
  } else if (report.problems.empty()) {
    text += crlf + std::wstring(texts::kCheckNoProblems);
  } else {
    text = WithDependencyLines(text, report.problems);
  }
  int exitCode = !report.problems.empty() ? kExitModuleInvalid
                 : entryMissing           ? kExitEntryPointMissing
                                          : kExitSuccess;
  return {text, exitCode};
}

}  // namespace corvalinde
