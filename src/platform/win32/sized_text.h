// The text a Win32 call gives that is asked for its length first, then filled
// (GetFullPathNameW, GetLongPathNameW): `fallback` when either call fails.
#pragma once

#include <windows.h>

#include <string>

namespace corvalinde::platform::win32 {

template <typename Call>
std::wstring SizedText(Call call, const std::wstring& fallback) {
  DWORD length = call(nullptr, 0);
  if (length == 0) return fallback;
  std::wstring text(length, L'\0');
  length = call(text.data(), length);
  if (length == 0 || length >= text.size()) return fallback;
  text.resize(length);
  return text;
}

}  // namespace corvalinde::platform::win32
