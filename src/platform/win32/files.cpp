#include "platform/files.h"

#include <windows.h>

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
  std::wstring fresh = path + L".new";
  auto fail = [&](bool created) {
    DWORD code = GetLastError();
    if (created) DeleteFileW(fresh.c_str());
    if (error) *error = code;
    return false;
  };
  {
    UniqueKernelHandle file = OpenForAccess(fresh, GENERIC_WRITE, CREATE_ALWAYS);
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

bool CopyFileOver(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

}  // namespace corvalinde::platform
