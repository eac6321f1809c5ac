// Why a module cannot load, when the reason is a DLL it needs: the dependency walk run on the
// module's files after a failed load (or a crash: Wine loads a module whose import is not
// exported and crashes when it is called), and the lines that tell the user.
#pragma once

#include <string>
#include <vector>

#include "pe/dependency_walk.h"
#include "registration/registration_result.h"

namespace corvalinde {

// The outcomes a missing or unsuitable dependency explains: a load refused with "module not
// found" (126), "procedure not found" (127) or a bad image (193, 216); a module of the other
// architecture; a crash.
bool DependenciesMayExplain(const RegistrationResult& result);

// The problems the walk finds for `file`, looked for as the loader of its architecture would.
pe::DependencyReport WalkModuleDependencies(const std::wstring& file);

// Fills `result.dependencies` when DependenciesMayExplain it.
void DiagnoseDependencies(RegistrationResult& result, const std::wstring& file);

// The problems as lines, each ending with CRLF, grouped under a heading per kind; nothing
// when there are none.
std::wstring DependencyLines(const std::vector<pe::DependencyProblem>& problems);

// A message's text with the problems' lines after it (the last without its CRLF).
std::wstring WithDependencyLines(std::wstring text,
                                 const std::vector<pe::DependencyProblem>& problems);

}  // namespace corvalinde
