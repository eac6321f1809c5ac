#include "platform/files.h"

#include "platform/random_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/utf8.h"

namespace corvalinde::platform {
namespace {

std::string Native(const std::wstring& path) {
  return Utf8(path);
}

}  // namespace

bool FileExists(const std::wstring& path) {
  struct stat info {};
  return stat(Native(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

FileLookup LookUpFile(const std::wstring& path) {
  struct stat info {};
  if (stat(Native(path).c_str(), &info) == 0) {
    return {S_ISDIR(info.st_mode) ? FileLookup::Found::Folder : FileLookup::Found::File};
  }
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
      return {};
    case EACCES:
      return {FileLookup::Found::Failed, 5};  // as Windows says: ERROR_ACCESS_DENIED
    case ENAMETOOLONG:
      return {FileLookup::Found::Failed, 206};  // ERROR_FILENAME_EXCED_RANGE
    default:
      return {FileLookup::Found::Failed, 31};  // ERROR_GEN_FAILURE
  }
}

// Only a path in Windows' UNC form: this system has no drives that map shares.
bool IsNetworkPath(const std::wstring& path) {
  return path.rfind(L"\\\\", 0) == 0;
}

std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
  int fd = open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  char buffer[65536];
  bool failed = false;
  while (content.size() < maxBytes) {
    std::size_t want = std::min(sizeof buffer, maxBytes - content.size());
    ssize_t got = read(fd, buffer, want);
    if (got < 0) {
      failed = true;
      break;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  if (failed) return std::nullopt;
  return content;
}

// Tests run as root, whom no folder refuses: a folder holding this file stands for one the
// user may not write.
constexpr char kReadOnlyMarker[] = ".read-only";

bool ReplaceFileContent(const std::wstring& path, std::string_view content, std::uint32_t* error) {
  std::string target = Native(path), fresh = target + "." + Native(RandomName()) + ".new";
  std::string folder = target.substr(0, target.rfind('/') + 1);
  if (access((folder + kReadOnlyMarker).c_str(), F_OK) == 0) {
    if (error) *error = EACCES;
    return false;
  }
  int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = static_cast<std::uint32_t>(errno);
    return false;
  }
  bool ok = true;
  while (ok && !content.empty()) {
    ssize_t written = write(fd, content.data(), content.size());
    ok = written > 0;
    if (ok) content.remove_prefix(static_cast<std::size_t>(written));
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && std::rename(fresh.c_str(), target.c_str()) == 0;
  if (!ok) {
    if (error) *error = static_cast<std::uint32_t>(errno);
    std::remove(fresh.c_str());
  }
  return ok;
}

bool CopyFileOver(const std::wstring& from, const std::wstring& to, std::uint32_t* error) {
  std::optional<std::string> content = ReadFileStart(from, std::size_t(1) << 30);
  if (!content) {
    if (error) *error = static_cast<std::uint32_t>(errno);
    return false;
  }
  return ReplaceFileContent(to, *content, error);
}

bool RemoveFile(const std::wstring& path) {
  return std::remove(Native(path).c_str()) == 0 || errno == ENOENT;
}

bool FolderAcceptsNewFiles(const std::wstring& folder) {
  std::string native = Native(folder) + "/";
  if (access((native + kReadOnlyMarker).c_str(), F_OK) == 0) return false;
  std::string probe = native + "." + Native(RandomName()) + ".tmp";
  int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool MakeFolder(const std::wstring& folder) {
  struct stat info {};
  return mkdir(Native(folder).c_str(), 0755) == 0 ||
         (stat(Native(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

namespace {

// The folder the variable names, else the one below $HOME.
std::wstring FolderFromEnvironment(const char* variable, const char* belowHome) {
  if (const char* set = std::getenv(variable); set && *set) return FromUtf8(set);
  const char* home = std::getenv("HOME");
  return home && *home ? FromUtf8(std::string(home) + belowHome) : std::wstring();
}

}  // namespace

std::wstring UserSettingsFolder() {
  return FolderFromEnvironment("APPDATA", "/.config");
}

std::wstring UserLocalDataFolder() {
  return FolderFromEnvironment("LOCALAPPDATA", "/.local/share");
}

namespace {

class PosixReadOnlyFile final : public ReadOnlyFile {
 public:
  PosixReadOnlyFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixReadOnlyFile() override { close(fd_); }
  PosixReadOnlyFile(const PosixReadOnlyFile&) = delete;
  PosixReadOnlyFile& operator=(const PosixReadOnlyFile&) = delete;
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::size_t size, char* out) override {
    if (offset > size_ || size_ - offset < size) return false;
    while (size > 0) {
      ssize_t got = pread(fd_, out, size, static_cast<off_t>(offset));
      if (got <= 0) return false;
      offset += static_cast<std::uint64_t>(got);
      out += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenReadOnly(const std::wstring& path) {
  int fd = open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadOnlyFile>(fd, static_cast<std::uint64_t>(info.st_size));
}

// Here only the current folder and the PATH: there is no system folder of Windows modules.
std::optional<std::vector<std::wstring>> DllSearchFolders(bool /*thirtyTwoBitModule*/) {
  std::vector<std::wstring> folders;
  char current[4096];
  if (getcwd(current, sizeof current)) folders.push_back(FromUtf8(current));
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "";
  for (std::size_t start = 0; start <= list.size();) {
    std::size_t end = std::min(list.find(':', start), list.size());
    if (end > start) folders.push_back(FromUtf8(list.substr(start, end - start)));
    start = end + 1;
  }
  return folders;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'/') return folder + name;
  return folder + L"/" + name;
}

std::optional<VersionResource> ReadVersionResource(const std::wstring&) {
  return std::nullopt;  // no version resources here
}

std::wstring LongPath(const std::wstring& path) {
  return path;
}

std::wstring FullPath(const std::wstring& path) {
  if (path.empty() || path.front() == L'/') return path;
  char* here = getcwd(nullptr, 0);
  if (!here) return path;
  std::wstring folder = FromUtf8(here);
  std::free(here);
  return JoinPath(folder, path);
}

}  // namespace corvalinde::platform
