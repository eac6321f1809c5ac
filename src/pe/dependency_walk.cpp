#include "pe/dependency_walk.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "pe/pe_file.h"
#include "platform/files.h"
#include "platform/path_parts.h"

namespace corvalinde::pe {
namespace {

// DLL names are ASCII in practice; any other byte is taken as Latin-1, never dropped.
std::wstring Widen(std::string_view text) {
  std::wstring wide;
  for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

struct Found {
  std::wstring path;
  std::optional<PeImage> image;  // nothing: not a PE image
};

class Walk {
 public:
  Walk(std::vector<std::wstring> folders, DependencyReport& report)
      : folders_(std::move(folders)), report_(report) {}

  std::optional<PeImage> Read(const std::wstring& path) {
    if (report_.filesRead >= kMostFilesRead) return std::nullopt;
    auto source = OpenPeFile(path);
    if (!source) return std::nullopt;
    ++report_.filesRead;
    return ReadPeImage(*source, &budget_);
  }

  // The DLL as the loader would find it, read once whatever asks for it; null when absent.
  const Found* Find(const std::string& name) {
    std::string key = LowerAscii(name);
    auto known = found_.find(key);
    if (known != found_.end()) return known->second.get();
    std::unique_ptr<Found> found;
    // A name is a file name: one that reaches into other folders or drives is not looked for.
    if (name.find_first_of("\\/:") != std::string::npos) return (found_[key] = nullptr).get();
    for (const std::wstring& folder : folders_) {
      std::wstring path = platform::JoinPath(folder, Widen(name));
      if (folder.empty() || !platform::FileExists(path)) continue;
      found = std::make_unique<Found>(Found{path, Read(path)});
      break;
    }
    return (found_[key] = std::move(found)).get();
  }

 private:
  std::vector<std::wstring> folders_;
  DependencyReport& report_;
  ReadBudget budget_;
  std::map<std::string, std::unique_ptr<Found>> found_;
};

}  // namespace

bool IsApiSet(std::string_view dllName) {
  std::string lower = LowerAscii(dllName);
  return lower.rfind("api-ms-win-", 0) == 0 || lower.rfind("ext-ms-", 0) == 0;
}

DependencyReport WalkDependencies(const std::wstring& modulePath,
                                  const std::vector<std::wstring>& searchFolders,
                                  std::size_t deepest) {
  DependencyReport report;
  std::vector<std::wstring> folders{platform::FolderOf(modulePath)};
  folders.insert(folders.end(), searchFolders.begin(), searchFolders.end());
  Walk walk(std::move(folders), report);
  report.module = walk.Read(modulePath);
  if (!report.module) return report;

  struct Pending {
    const PeImage* image;
    std::wstring name;
    std::size_t depth;
  };
  std::deque<Pending> pending{{&*report.module, platform::FileNameOf(modulePath), 0}};
  std::set<std::string> queued;    // each DLL walked once
  std::set<std::string> reported;  // each missing DLL told once
  // Each missing function told once for each importer.
  std::set<std::tuple<std::string, std::wstring, std::string>> missing;
  while (!pending.empty()) {
    Pending current = pending.front();
    pending.pop_front();
    for (const ImportedDll& import : current.image->imports) {
      if (import.delayed && current.depth > 0) continue;
      if (IsApiSet(import.name)) continue;
      DependencyProblem problem{DependencyProblem::Kind::MissingDll,
                                Widen(import.name),
                                current.name,
                                L"",
                                0,
                                import.delayed};
      const Found* found = walk.Find(import.name);
      std::string key = LowerAscii(import.name);
      if (!found || !found->image) {
        if (found) problem.kind = DependencyProblem::Kind::NotAModule;
        if (reported.insert(key).second) report.problems.push_back(problem);
        continue;
      }
      if (found->image->machine != report.module->machine) {
        problem.kind = DependencyProblem::Kind::OtherMachine;
        problem.machine = found->image->machine;
        if (reported.insert(key).second) report.problems.push_back(problem);
        continue;
      }
      for (const std::string& function : import.functions) {
        if (found->image->Exports(function) ||
            !missing.emplace(key, current.name, function).second) {
          continue;
        }
        problem.kind = DependencyProblem::Kind::MissingFunction;
        problem.function = Widen(function);
        report.problems.push_back(problem);
      }
      if (current.depth + 1 <= deepest && queued.insert(key).second) {
        pending.push_back({&*found->image, platform::FileNameOf(found->path), current.depth + 1});
      }
    }
  }
  return report;
}

}  // namespace corvalinde::pe
