#include "platform/path_parts.h"

namespace corvalinde::platform {
namespace {

// Where the file name starts.
std::size_t NameStart(std::wstring_view path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring_view::npos ? 0 : separator + 1;
}

// Where the extension starts: the size when there is none.
std::size_t ExtensionStart(std::wstring_view path) {
  const std::size_t dot = path.rfind(L'.');
  return dot == std::wstring_view::npos || dot < NameStart(path) ? path.size() : dot;
}

}  // namespace

std::wstring FileNameOf(std::wstring_view path) {
  return std::wstring(path.substr(NameStart(path)));
}

std::wstring FolderOf(std::wstring_view path) {
  const std::size_t start = NameStart(path);
  if (start == 0) return {};
  // A drive's colon stays with the drive.
  return std::wstring(path.substr(0, path[start - 1] == L':' ? start : start - 1));
}

std::wstring ExtensionOf(std::wstring_view path) {
  return std::wstring(path.substr(ExtensionStart(path)));
}

std::wstring WithoutExtension(std::wstring_view path) {
  return std::wstring(path.substr(0, ExtensionStart(path)));
}

}  // namespace corvalinde::platform
