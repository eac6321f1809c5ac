#include "platform/ansi.h"

#include <windows.h>

namespace corvalinde::platform {

std::string ToAnsi(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  // Character by character, so an unspellable character (or half of a surrogate pair) becomes
  // exactly one '?' and lengths in characters stay lengths in bytes.
  for (wchar_t c : text) {
    if (c < 0x80) {  // every ANSI code page keeps ASCII as it is
      bytes.push_back(static_cast<char>(c));
      continue;
    }
    char out[8];
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, out, sizeof out, "?", &lossy);
    bytes.push_back(n == 1 && !lossy ? out[0] : '?');
  }
  return bytes;
}

std::wstring FromAnsi(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (char b : bytes) {
    if (static_cast<unsigned char>(b) < 0x80) {
      text.push_back(static_cast<wchar_t>(b));
      continue;
    }
    wchar_t out[2];
    int n = MultiByteToWideChar(CP_ACP, 0, &b, 1, out, 2);
    text.push_back(n == 1 ? out[0] : L'?');
  }
  return text;
}

}  // namespace corvalinde::platform
