#include "registration/dependency_diagnosis.h"

#include "common/texts.h"
#include "platform/files.h"
#include "registration/architecture_handoff.h"

namespace corvalinde {
namespace {

using Kind = pe::DependencyProblem::Kind;

// A message that still fits the screen: the first problems say what is wrong.
constexpr std::size_t kMostLinesTold = 20;

std::wstring Line(const pe::DependencyProblem& problem) {
  std::wstring line = L"  ";
  switch (problem.kind) {
    case Kind::MissingFunction:
      line += problem.function + std::wstring(texts::kFunctionIn) + problem.dll;
      break;
    case Kind::OtherMachine: {
      std::wstring words = ArchitectureWords(ArchitectureOfMachine(problem.machine));
      line += problem.dll + L": " + (words.empty() ? std::wstring(texts::kUnknownMachine) : words);
      break;
    }
    case Kind::MissingDll:
    case Kind::NotAModule:
      line += problem.dll;
      break;
  }
  line += std::wstring(texts::kRequiredBy) + problem.importer;
  if (problem.delayed) line += texts::kAtFirstUse;
  return line + L")" + std::wstring(texts::kCrLf);
}

}  // namespace

bool DependenciesMayExplain(const RegistrationResult& result) {
  switch (result.outcome) {
    case RegModuleInvalid:
      return result.loadError == 126 || result.loadError == 127 || result.loadError == 193 ||
             result.loadError == 216;
    case RegWrongArchitecture:
    case RegCrashed:
      return true;
    default:
      return false;
  }
}

pe::DependencyReport WalkModuleDependencies(const std::wstring& file) {
  bool thirtyTwoBit = ReadModuleArchitecture(file) == ModuleArchitecture::X86;
  if (auto folders = platform::DllSearchFolders(thirtyTwoBit)) {
    return pe::WalkDependencies(file, *folders);
  }
  pe::DependencyReport report = pe::WalkDependencies(file, {}, 0);
  report.problems.clear();  // its own folder alone would tell the system's DLLs missing
  report.searched = false;
  return report;
}

void DiagnoseDependencies(RegistrationResult& result, const std::wstring& file) {
  if (DependenciesMayExplain(result)) result.dependencies = WalkModuleDependencies(file).problems;
}

std::wstring DependencyLines(const std::vector<pe::DependencyProblem>& problems) {
  std::wstring text;
  std::size_t told = 0;
  const std::pair<Kind, std::wstring_view> groups[] = {
      {Kind::MissingDll, texts::kMissingDlls},
      {Kind::MissingFunction, texts::kMissingFunctions},
      {Kind::OtherMachine, texts::kOtherMachineDlls},
      {Kind::NotAModule, texts::kInvalidDlls}};
  for (const auto& [kind, heading] : groups) {
    std::wstring lines;
    for (const pe::DependencyProblem& problem : problems) {
      if (problem.kind == kind && told < kMostLinesTold) {
        lines += Line(problem);
        ++told;
      }
    }
    if (!lines.empty()) text += std::wstring(heading) + std::wstring(texts::kCrLf) + lines;
  }
  if (told < problems.size()) {
    text += std::wstring(texts::kAndOthers) + std::to_wstring(problems.size() - told) +
            std::wstring(texts::kCrLf);
  }
  return text;
}

std::wstring WithDependencyLines(std::wstring text,
                                 const std::vector<pe::DependencyProblem>& problems) {
  std::wstring lines = DependencyLines(problems);
  if (lines.empty()) return text;
  lines.resize(lines.size() - texts::kCrLf.size());
  return text + std::wstring(texts::kCrLf) + lines;
}

}  // namespace corvalinde
