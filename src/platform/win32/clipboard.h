// Text to the clipboard, as Unicode text (CF_UNICODETEXT), for `owner`.
#pragma once

#include <windows.h>

#include <string>

namespace corvalinde::platform::win32 {

bool CopyTextToClipboard(HWND owner, const std::wstring& text);

}  // namespace corvalinde::platform::win32
