#include "platform/win32/message_boxes.h"

#include <windows.h>

namespace corvalinde::platform::win32 {

MessageAnswer SystemMessageBoxes::Show(const MessageRequest& request) {
  UINT flags =
      static_cast<UINT>(request.icon) | static_cast<UINT>(request.buttons) | MB_SETFOREGROUND;
  int answer = MessageBoxW(owner_, request.text.c_str(), request.title.c_str(), flags);
  switch (answer) {
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    case IDRETRY:
      return MessageAnswer::Retry;
    case IDCANCEL:
      return MessageAnswer::Cancel;
    default:
      return MessageAnswer::Ok;
  }
}

}  // namespace corvalinde::platform::win32
