// Modal message boxes: the only way the program reports anything to the user.
//
// Show blocks until the user closes the box and returns the button pressed. The icon and button
// values are the platform's MessageBox flags, so callers can be checked against them.
#pragma once

#include <string>

namespace corvalinde::platform {

enum class MessageIcon { None = 0, Error = 16, Exclamation = 48, Information = 64 };
enum class MessageButtons { Ok = 0, YesNo = 4, RetryCancel = 5 };
enum class MessageAnswer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

struct MessageRequest {
  std::wstring text;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  std::wstring title;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageAnswer Show(const MessageRequest& request) = 0;
};

}  // namespace corvalinde::platform
