#include "platform/win32/clipboard.h"

#include <cstring>

namespace corvalinde::platform::win32 {

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool copied = false;
  std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!copied) GlobalFree(memory);
  }
  CloseClipboard();
  return copied;
}

}  // namespace corvalinde::platform::win32
