#pragma once

#include "platform/message_boxes.h"

namespace corvalinde::platform::win32 {

// Real modal message boxes with no owner window, brought to the foreground: a command-line run
// from Explorer has no visible window of its own to hang them on.
class SystemMessageBoxes final : public MessageBoxes {
 public:
  MessageAnswer Show(const MessageRequest& request) override;
};

}  // namespace corvalinde::platform::win32
