#include "browser/registered_file.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "common/blanks.h"
#include "common/letter_case.h"
#include "common/texts.h"
#include "pe/pe_file.h"
#include "platform/path_parts.h"
#include "platform/registry_text.h"
#include "platform/system_errors.h"

namespace corvalinde {
namespace {

using Found = platform::FileLookup::Found;

constexpr std::uint32_t kPathNotFound = 3;       // ERROR_PATH_NOT_FOUND
constexpr std::uint32_t kVariableUnknown = 203;  // ERROR_ENVVAR_NOT_FOUND
constexpr std::uint32_t kTimedOut = 1460;        // ERROR_TIMEOUT

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

std::wstring Unquoted(std::wstring_view text) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::wstring(TrimBlanks(text));
}

// A name the system looks for in its folders: no folder, no drive.
bool IsBareName(const std::wstring& name) {
  return name.find_first_of(L"\\/:") == std::wstring::npos;
}

// The extension is added, as LoadLibrary adds ".dll" and CreateProcess ".exe", to a name whose
// last part has no dot.
std::wstring WithExtension(const std::wstring& name, const wchar_t* extension) {
  return platform::ExtensionOf(name).empty() ? name + extension : name;
}

// A "%NAME%" the expansion left as it was: a variable this process does not have.
bool HasUnexpandedVariable(const std::wstring& text) {
  for (std::size_t open = text.find(L'%'); open != std::wstring::npos;) {
    const std::size_t close = text.find(L'%', open + 1);
    if (close == std::wstring::npos) return false;
    std::wstring_view name = std::wstring_view(text).substr(open + 1, close - open - 1);
    if (!name.empty() && name.find_first_of(L"\\/") == std::wstring_view::npos) return true;
    open = close;
  }
  return false;
}

// Where an absolute path starts: "C:\", "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\"
// or "/"; nothing for a relative path.
std::wstring RootOf(const std::wstring& path) {
  std::size_t from = 0;
  if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
      (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3])) {
    from = 4;
    if (ToUpperText(std::wstring_view(path).substr(4, 4)) == L"UNC\\") {
      const std::size_t server = path.find_first_of(L"\\/", 8);
      const std::size_t share =
          server == std::wstring::npos ? server : path.find_first_of(L"\\/", server + 1);
      return share == std::wstring::npos ? std::wstring() : path.substr(0, share + 1);
    }
  }
  if (path.size() >= from + 3 && path[from + 1] == L':' && IsSeparator(path[from + 2])) {
    return path.substr(0, from + 3);
  }
  if (from == 0 && path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    const std::size_t server = path.find_first_of(L"\\/", 2);
    const std::size_t share =
        server == std::wstring::npos ? server : path.find_first_of(L"\\/", server + 1);
    return share == std::wstring::npos ? std::wstring() : path.substr(0, share + 1);
  }
  if (from == 0 && !path.empty() && path[0] == L'/') return L"/";
  return {};
}

// The machine a network path asks: "\\SERVER" for a UNC path, else its root (a mapped drive).
std::wstring ServerOf(const std::wstring& path) {
  const std::wstring root = ToUpperText(RootOf(path));
  if (root.size() > 2 && IsSeparator(root[0]) && IsSeparator(root[1]) && root[2] != L'?') {
    return root.substr(0, root.find_first_of(L"\\/", 2));
  }
  if (root.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + root.substr(8, root.find(L'\\', 8) - 8);
  return root;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || IsSeparator(folder.back())) return folder + name;
  const bool posix = folder.find(L'\\') == std::wstring::npos && folder.front() == L'/';
  return folder + (posix ? L'/' : L'\\') + name;
}

// The look on a thread of its own, waited for at most `bound`: a server that does not answer
// holds that thread, not the caller. Nothing when it did not end in time.
std::optional<platform::FileLookup> LookWithin(const FileLookUp& lookUp, const std::wstring& path,
                                               std::chrono::milliseconds bound) {
  struct Shared {
    std::mutex guard;
    std::condition_variable ended;
    std::optional<platform::FileLookup> found;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared, lookUp, path] {
    platform::FileLookup found = lookUp(path);
    std::lock_guard lock(shared->guard);
    shared->found = found;
    shared->ended.notify_all();
  }).detach();
  std::unique_lock lock(shared->guard);
  shared->ended.wait_for(lock, bound, [&] { return shared->found.has_value(); });
  return shared->found;
}

}  // namespace

FileVerdict RegisteredFiles::Check(const ClassServers& servers) {
  std::optional<FileVerdict> missing, unverifiable;
  auto take = [&](const FileVerdict& verdict) {
    std::optional<FileVerdict>& slot = verdict.state == FileState::Missing ? missing : unverifiable;
    if (!slot) slot = verdict;
  };
  if (!IsBlank(servers.module)) {
    FileVerdict module = CheckModule(servers.module);
    if (module.state == FileState::Present) return module;
    if (module.state != FileState::None) take(module);
  }
  if (!IsBlank(servers.commandLine)) {
    FileVerdict program = CheckCommandLine(servers.commandLine);
    if (program.state == FileState::Present) return program;
    if (program.state != FileState::None) take(program);
  }
  if (unverifiable) return *unverifiable;
  if (missing) return *missing;
  return {};
}

FileVerdict RegisteredFiles::CheckModule(const std::wstring& value) {
  const std::wstring module = Unquoted(search_.expand(value));
  if (module.empty()) return {};
  if (HasUnexpandedVariable(module)) return {FileState::Unverifiable, module, kVariableUnknown};
  return IsBareName(module) ? LookFor(module, L".dll") : LookAt(WithExtension(module, L".dll"));
}

FileVerdict RegisteredFiles::CheckCommandLine(const std::wstring& commandLine) {
  const std::wstring text(TrimBlanks(search_.expand(commandLine)));
  if (text.empty()) return {};
  if (HasUnexpandedVariable(text)) return {FileState::Unverifiable, text, kVariableUnknown};
  const std::wstring key = L"command|" + ToUpperText(text);
  if (auto known = known_.find(key); known != known_.end()) return known->second;
  auto program = [&](const std::wstring& name) {
    return IsBareName(name) ? LookFor(name, L".exe") : LookAt(WithExtension(name, L".exe"));
  };
  FileVerdict verdict;
  if (text.front() == L'"') {
    const std::size_t end = text.find(L'"', 1);
    const std::wstring quoted(
        TrimBlanks(std::wstring_view(text).substr(1, end == std::wstring::npos ? end : end - 1)));
    verdict = quoted.empty() ? FileVerdict{} : program(quoted);
  } else {
    // CreateProcess's reading of blanks: each part up to a blank in turn, then the whole.
    std::vector<std::wstring> candidates;
    for (std::size_t blank = text.find(L' '); blank != std::wstring::npos;
         blank = text.find(L' ', blank + 1)) {
      if (blank > 0 && text[blank - 1] != L' ') candidates.push_back(text.substr(0, blank));
    }
    candidates.push_back(text);
    std::optional<FileVerdict> unverifiable;
    for (const std::wstring& candidate : candidates) {
      FileVerdict found = program(candidate);
      if (found.state == FileState::Present) {
        verdict = found;
        break;
      }
      if (found.state == FileState::Unverifiable && !unverifiable) unverifiable = found;
    }
    if (verdict.state != FileState::Present) {
      // Named after what a reader would call the program: up to ".exe", else the first word.
      const std::size_t exe = ToUpperText(text).find(L".EXE");
      verdict = unverifiable
                    ? *unverifiable
                    : FileVerdict{FileState::Missing, exe != std::wstring::npos
                                                          ? text.substr(0, exe + 4)
                                                          : text.substr(0, text.find(L' '))};
    }
  }
  known_[key] = verdict;
  return verdict;
}

FileVerdict RegisteredFiles::LookFor(const std::wstring& name, const wchar_t* addedExtension) {
  const std::wstring file = WithExtension(name, addedExtension);
  const std::wstring key = L"name|" + ToUpperText(file);
  if (auto known = known_.find(key); known != known_.end()) return known->second;
  FileVerdict verdict{FileState::Missing, file};
  for (const std::wstring& folder : search_.folders) {
    const std::wstring path = Joined(folder, file);
    platform::FileLookup found = Look(path);
    if (found.found == Found::File) {
      verdict = {FileState::Present, path};
      break;
    }
    // A folder that cannot be read may hold it: not found is then not proven.
    if (found.found == Found::Failed && verdict.state == FileState::Missing) {
      verdict = {FileState::Unverifiable, file, found.error};
    }
  }
  known_[key] = verdict;
  return verdict;
}

FileVerdict RegisteredFiles::LookAt(const std::wstring& path) {
  const std::wstring key = L"path|" + ToUpperText(path);
  if (auto known = known_.find(key); known != known_.end()) return known->second;
  FileVerdict verdict{FileState::Present, path};
  platform::FileLookup found = Look(path);
  if (found.found == Found::Failed) {
    verdict = {FileState::Unverifiable, path, found.error};
  } else if (found.found != Found::File) {
    verdict.state = FileState::Missing;
    // Not found on a drive or share that is not there proves nothing of the file.
    const std::wstring root = RootOf(path);
    if (!root.empty()) {
      const std::wstring rootKey = ToUpperText(root);
      auto there = rootThere_.find(rootKey);
      if (there == rootThere_.end()) {
        platform::FileLookup rootFound = Look(root);
        const std::uint32_t why = rootFound.found == Found::Folder   ? 0
                                  : rootFound.found == Found::Failed ? rootFound.error
                                                                     : kPathNotFound;
        there = rootThere_.emplace(rootKey, why).first;
      }
      if (there->second != 0) verdict = {FileState::Unverifiable, path, there->second};
    }
  }
  known_[key] = verdict;
  return verdict;
}

bool RegisteredFiles::OnNetwork(const std::wstring& path) {
  const std::wstring root = ToUpperText(RootOf(path));
  if (root.empty()) return search_.isNetwork(path);
  auto known = networkRoots_.find(root);
  if (known == networkRoots_.end())
    known = networkRoots_.emplace(root, search_.isNetwork(root)).first;
  return known->second;
}

platform::FileLookup RegisteredFiles::Look(const std::wstring& path) {
  if (!OnNetwork(path)) return search_.lookUp(path);
  const std::wstring server = ServerOf(path);
  if (serversNotAnswering_.count(server)) return {Found::Failed, kTimedOut};
  if (auto found = LookWithin(search_.lookUp, path, search_.networkBound)) return *found;
  serversNotAnswering_.insert(server);
  return {Found::Failed, kTimedOut};
}

FileSearch SystemFileSearch(platform::Registry& registry) {
  FileSearch search;
  search.lookUp = platform::LookUpFile;
  search.expand = [&registry](const std::wstring& text) {
    return platform::ExpandedText(registry, text);
  };
  search.folders =
      platform::DllSearchFolders(sizeof(void*) == 4).value_or(std::vector<std::wstring>{});
  search.isNetwork = platform::IsNetworkPath;
  return search;
}

std::wstring FileStatusText(const FileVerdict& verdict) {
  switch (verdict.state) {
    case FileState::Missing:
      return std::wstring(texts::kStatusMissing);
    case FileState::Unverifiable: {
      std::wstring reason = platform::SystemErrorText(verdict.error);
      if (reason.empty()) reason = std::wstring(texts::kCode) + std::to_wstring(verdict.error);
      return std::wstring(texts::kStatusUnverifiable) + L": " + reason;
    }
    case FileState::Present:
      break;
    case FileState::None:
    case FileState::Unchecked:
      return {};
  }
  auto file = pe::OpenPeFile(verdict.path);
  switch (file ? pe::ReadMachine(*file).value_or(0) : 0) {
    case 0x014C:
    case 0x01C4:
      return std::wstring(texts::kStatus32);
    case 0x8664:
    case 0xAA64:
      return std::wstring(texts::kStatus64);
    default:
      return {};
  }
}

}  // namespace corvalinde
