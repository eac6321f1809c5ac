// The few file operations the program needs: the settings, the .reg files it reads and writes
// (backups included), captures in any of their formats and the browser's exports are read whole
// and replaced whole; modules are read as data; registered files are looked for.
#pragma once

#include <array>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde::platform {

bool FileExists(const std::wstring& path);

// What one look at a path finds. Only a definite answer of the system's makes NotFound (no such
// file, or no such folder on the way); any other failure (access denied, a network or a device
// that does not answer, a name too long…) is Failed, with the system's reason: it proves
// nothing either way.
struct FileLookup {
  enum class Found { File, Folder, NotFound, Failed };
  Found found = Found::NotFound;
  std::uint32_t error = 0;  // for Failed
};
FileLookup LookUpFile(const std::wstring& path);

// Whether looking at the path asks another machine: a UNC path, or a drive the system maps to a
// network share. Such a look may take as long as the network lets it.
bool IsNetworkPath(const std::wstring& path);

// The first `maxBytes` bytes of the file (all of it when shorter); nullopt when the file cannot
// be opened or read.
std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes);

// Writes `content` to a new file beside `path` (a random name, created only if it does not
// exist) and puts it in place of `path` in one step, so a failure at any point leaves the
// earlier file (or its absence) exactly as it was, and no temporary file behind.
// The portable backend refuses (EACCES) in a folder that holds a file named ".read-only": the
// tests run as root, whom no folder refuses otherwise. On failure
// `error` (when given) gets the system's error code.
bool ReplaceFileContent(const std::wstring& path, std::string_view content,
                        std::uint32_t* error = nullptr);

// A file open for reading at any offset (others may read it meanwhile); closed when destroyed.
class ReadOnlyFile {
 public:
  virtual ~ReadOnlyFile() = default;
  virtual std::uint64_t Size() const = 0;
  // Exactly `size` bytes at `offset`; false when the file does not have them all.
  virtual bool ReadAt(std::uint64_t offset, std::size_t size, char* out) = 0;
};
std::unique_ptr<ReadOnlyFile> OpenReadOnly(const std::wstring& path);

// The folders the system searches for a DLL a module imports, after the module's own folder,
// when the registration host loads it (LOAD_WITH_ALTERED_SEARCH_PATH, the current folder taken
// out of the search): the system folder for the module's kind (on 64-bit Windows, SysWOW64 for
// a 32-bit module and System32 for a 64-bit one, whichever build asks), the Windows folder and
// the PATH's folders, in that order, the PATH's system folder read as the module's. Nothing
// when this system has no system folder for such a module (64-bit Wine without its 32-bit
// part).
std::optional<std::vector<std::wstring>> DllSearchFolders(bool thirtyTwoBitModule);
// `folder` and `name` with the system's separator between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The path made absolute against the current folder (as given when it cannot be).
std::wstring FullPath(const std::wstring& path);
// The same file's path with every short (8.3) name in it spelled long, when the file is there;
// as given otherwise (and on systems without short names).
std::wstring LongPath(const std::wstring& path);
// A module's version resource, read as data (no code of the file runs): its file version
// (major, minor, build, revision) and its maker (CompanyName, in the resource's first
// language); nothing when it has none, or on a system without them.
struct VersionResource {
  std::array<std::uint16_t, 4> fileVersion{};
  std::wstring company;
};
std::optional<VersionResource> ReadVersionResource(const std::wstring& path);

// Copies a file over `to` (replacing it); false when it cannot, with the system's error code in
// `error` (when given).
bool CopyFileOver(const std::wstring& from, const std::wstring& to, std::uint32_t* error = nullptr);

// Deletes the file; true when it is gone afterwards (or was never there).
bool RemoveFile(const std::wstring& path);

// Whether a new file can be made in `folder` now: tried by making one (a random name, gone at
// once). The portable backend says no for a folder marked read-only (see ReplaceFileContent).
bool FolderAcceptsNewFiles(const std::wstring& folder);
// Makes the folder (its parent must exist); true when it is there afterwards.
bool MakeFolder(const std::wstring& folder);
// The user's own folder for programs' settings: %APPDATA% on Windows; elsewhere $APPDATA when
// set, else $HOME/.config. Empty when there is none.
std::wstring UserSettingsFolder();
// The user's own folder for programs' data that stays on this machine: %LOCALAPPDATA% on
// Windows; elsewhere $LOCALAPPDATA when set, else $HOME/.local/share. Empty when there is none.
std::wstring UserLocalDataFolder();

}  // namespace corvalinde::platform
