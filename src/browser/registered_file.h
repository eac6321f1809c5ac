// Whether the files a class's registration names are there, as the system would look for them
// when it creates the class: the module of InprocServer32 (LoadLibrary's way) and the program
// of a LocalServer32 command line (CreateProcess's way), environment variables expanded first.
// Users open the browser mostly to find registrations whose files are gone, and a removal
// follows from what this says: a file is "missing" only when the system said so for every
// place it would look, and anything that cannot be told for sure is "cannot be verified".
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"

namespace corvalinde {

using FileLookUp = std::function<platform::FileLookup(const std::wstring&)>;
using Expander = std::function<std::wstring(const std::wstring&)>;  // %NAME% references

// What a check of a row's files found.
enum class FileState {
  Unchecked,     // not looked at yet
  None,          // the class names no file
  Present,       // a file named is there
  Missing,       // every file named is gone: the system said so wherever it would look
  Unverifiable,  // neither could be told (see `error`)
};

struct FileVerdict {
  FileState state = FileState::None;
  std::wstring path{};      // the file found, or the one the class names
  std::uint32_t error = 0;  // Unverifiable: the system's reason
};

// The servers a class names, as registered: the module path and the command line.
struct ClassServers {
  std::wstring module;
  std::wstring commandLine{};
};

// Where and how files are looked for.
struct FileSearch {
  FileLookUp lookUp;
  Expander expand;
  // Where a bare name is looked for, in order: the system folder (of the registry view the
  // classes come from), the Windows folder, the PATH's folders. The folder of the program that
  // will create the object comes first for the loader, and cannot be known here.
  std::vector<std::wstring> folders{};
  // Whether a path asks another machine; such a look is given `networkBound`, and a server
  // that does not answer in time makes every path on it unverifiable without asking again.
  std::function<bool(const std::wstring&)> isNetwork = [](const std::wstring&) { return false; };
  std::chrono::milliseconds networkBound{3000};
};

// The checks of one list: what was found for a bare name, a command line, a drive or a server
// is remembered for the rows after it. Not for use by two threads at once.
class RegisteredFiles {
 public:
  explicit RegisteredFiles(FileSearch search) : search_(std::move(search)) {}

  // Present when any server is there; Missing only when every server named is missing;
  // Unverifiable otherwise, with the first reason met.
  FileVerdict Check(const ClassServers& servers);
  // One server.
  FileVerdict CheckModule(const std::wstring& value);
  FileVerdict CheckCommandLine(const std::wstring& commandLine);

 private:
  FileVerdict LookFor(const std::wstring& name, const wchar_t* addedExtension);
  FileVerdict LookAt(const std::wstring& path);
  platform::FileLookup Look(const std::wstring& path);
  bool OnNetwork(const std::wstring& path);

  FileSearch search_;
  std::map<std::wstring, FileVerdict> known_;        // bare names, paths and command lines
  std::map<std::wstring, std::uint32_t> rootThere_;  // drives and shares: 0, or why not
  std::map<std::wstring, bool> networkRoots_;
  std::set<std::wstring> serversNotAnswering_;  // upper case
};

// The system's way: its files, its environment (expanded as `registry` does; it must outlive
// the search), the folders its loader searches for a module of this build's kind, its network
// drives.
FileSearch SystemFileSearch(platform::Registry& registry);

// "file mancante", "non verificabile: <reason>", "32 bit" or "64 bit" from the file's header,
// or nothing (no file named, not checked yet, or not a PE image).
std::wstring FileStatusText(const FileVerdict& verdict);

}  // namespace corvalinde
