#include "platform/system_errors.h"

#include <windows.h>

namespace corvalinde::platform {

std::wstring SystemErrorText(std::uint32_t code) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring description(text ? text : L"", length);
  LocalFree(text);
  while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r' ||
                                  description.back() == L' ')) {
    description.pop_back();
  }
  return description;
}

}  // namespace corvalinde::platform
