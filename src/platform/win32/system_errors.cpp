#include "platform/system_errors.h"

#include <windows.h>

namespace corvalinde::platform {

std::wstring SystemErrorText(std::uint32_t code, const std::wstring& insert) {
  // Every insert a system text can name (%1 to %99) is given the same text, so however many it
  // names, and however it formats them, nothing is read past the array.
  constexpr std::size_t kMostInserts = 99;
  DWORD_PTR arguments[kMostInserts];
  for (DWORD_PTR& argument : arguments) argument = reinterpret_cast<DWORD_PTR>(insert.c_str());
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0,
      reinterpret_cast<va_list*>(arguments));
  std::wstring description(text ? text : L"", length);
  LocalFree(text);
  while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r' ||
                                  description.back() == L' ')) {
    description.pop_back();
  }
  return description;
}

}  // namespace corvalinde::platform
