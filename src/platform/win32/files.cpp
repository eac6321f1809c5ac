#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <utility>

#include "platform/random_name.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;

UniqueKernelHandle OpenForAccess(const std::wstring& path, DWORD access, DWORD disposition) {
  HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    DWORD chunk = content.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) return false;
    content.remove_prefix(written);
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileLookup LookUpFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return {attributes & FILE_ATTRIBUTE_DIRECTORY ? FileLookup::Found::Folder
                                                  : FileLookup::Found::File};
  }
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
  return {FileLookup::Found::Failed, error};
}

bool IsNetworkPath(const std::wstring& path) {
  auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 2 && slash(path[0]) && slash(path[1])) {
    // \\?\UNC\server\share is a network path; \\?\C:\… and \\.\device are not.
    if (path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && slash(path[3])) {
      return _wcsnicmp(path.c_str() + 4, L"UNC", 3) == 0 && path.size() > 7 && slash(path[7]);
    }
    return true;
  }
  if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0])) {
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
  }
  return false;
}

std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
  UniqueKernelHandle file = OpenForAccess(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) return std::nullopt;
  std::string content;
  char buffer[65536];
  while (content.size() < maxBytes) {
    DWORD want =
        static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, maxBytes - content.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    content.append(buffer, got);
  }
  return content;
}

bool ReplaceFileContent(const std::wstring& path, std::string_view content, std::uint32_t* error) {
  // A name nobody can guess, made by us alone: in a folder others may write, nobody can make
  // it first and edit what is about to take the file's place.
  std::wstring fresh = path + L"." + RandomName() + L".new";
  auto fail = [&](bool created) {
    DWORD code = GetLastError();
    if (created) DeleteFileW(fresh.c_str());
    if (error) *error = code;
    return false;
  };
  {
    UniqueKernelHandle file = OpenForAccess(fresh, GENERIC_WRITE, CREATE_NEW);
    if (!file) return fail(false);
    if (!WriteAll(file.get(), content)) {
      DWORD code = GetLastError();
      file.reset();
      SetLastError(code);
      return fail(true);
    }
  }
  if (!MoveFileExW(fresh.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(true);
  }
  return true;
}

bool CopyFileOver(const std::wstring& from, const std::wstring& to, std::uint32_t* error) {
  if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
  if (error) *error = GetLastError();
  return false;
}

bool RemoveFile(const std::wstring& path) {
  return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
         GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool FolderAcceptsNewFiles(const std::wstring& folder) {
  HANDLE probe = CreateFileW(JoinPath(folder, L"." + RandomName() + L".tmp").c_str(), GENERIC_WRITE,
                             0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

bool MakeFolder(const std::wstring& folder) {
  if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
  DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::wstring ShellFolder(int csidl) {
  wchar_t folder[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return {};
  return folder;
}

}  // namespace

std::wstring UserSettingsFolder() {
  return ShellFolder(CSIDL_APPDATA);
}

std::wstring UserLocalDataFolder() {
  return ShellFolder(CSIDL_LOCAL_APPDATA);
}

namespace {

class Win32ReadOnlyFile final : public ReadOnlyFile {
 public:
  Win32ReadOnlyFile(UniqueKernelHandle file, std::uint64_t size)
      : file_(std::move(file)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::size_t size, char* out) override {
    if (offset > size_ || size_ - offset < size) return false;
    while (size > 0) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size), got = 0;
      if (!ReadFile(file_.get(), out, want, &got, &at) || got == 0) return false;
      offset += got;
      out += got;
      size -= got;
    }
    return true;
  }

 private:
  UniqueKernelHandle file_;
  std::uint64_t size_;
};

std::wstring SystemText(UINT (*get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH + 1] = {};
  UINT length = get(buffer, MAX_PATH + 1);
  return length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

UINT SystemFolder(LPWSTR buffer, UINT size) {
  return GetSystemDirectoryW(buffer, size);
}
UINT WindowsFolder(LPWSTR buffer, UINT size) {
  return GetWindowsDirectoryW(buffer, size);
}
UINT SystemFolderOf32BitModules(LPWSTR buffer, UINT size) {
  return GetSystemWow64DirectoryW(buffer, size);  // 0 on 32-bit Windows
}

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenReadOnly(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  UniqueKernelHandle owner(file);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<Win32ReadOnlyFile>(std::move(owner),
                                             static_cast<std::uint64_t>(size.QuadPart));
}

std::optional<std::vector<std::wstring>> DllSearchFolders(bool thirtyTwoBitModule) {
  const std::wstring ours = SystemText(SystemFolder);
  std::wstring system = ours;
  if (thirtyTwoBitModule && sizeof(void*) == 8) {
    system = SystemText(SystemFolderOf32BitModules);
  } else if (!thirtyTwoBitModule && sizeof(void*) == 4) {
    // A 32-bit process sees SysWOW64 under System32's name; the real one is "Sysnative".
    BOOL wow = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow) && wow) {
      system = SystemText(WindowsFolder) + L"\\Sysnative";
    }
  }
  // Every Windows has kernel32 in each of its system folders; 64-bit Wine without its 32-bit
  // part has an empty SysWOW64.
  if (system.empty() || !FileExists(JoinPath(system, L"kernel32.dll"))) return std::nullopt;
  // No current folder: the host takes it out of the search (SetDllDirectoryW(L"")).
  std::vector<std::wstring> folders{system, SystemText(WindowsFolder)};
  DWORD length = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring path(length, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), length));
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = std::min(path.find(L';', start), path.size());
    std::wstring folder = path.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
      folder = folder.substr(1, folder.size() - 2);
    }
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    if (!folder.empty())
      folders.push_back(_wcsicmp(folder.c_str(), ours.c_str()) ? folder : system);
    start = end + 1;
  }
  return folders;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L"\\" + name;
}

std::optional<VersionResource> ReadVersionResource(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof *fixed) {
    return std::nullopt;
  }
  VersionResource resource;
  resource.fileVersion = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&translations), &length) &&
      length >= sizeof *translations) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translations->language,
             translations->codePage);
    wchar_t* company = nullptr;
    if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&company), &length) &&
        company && length > 0) {
      resource.company.assign(company, wcsnlen(company, length));
    }
  }
  return resource;
}

std::wstring LongPath(const std::wstring& path) {
  DWORD size = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring longer(size, L'\0');
  DWORD length = GetLongPathNameW(path.c_str(), longer.data(), size);
  if (length == 0 || length >= size) return path;
  longer.resize(length);
  return longer;
}

std::wstring FullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

}  // namespace corvalinde::platform
