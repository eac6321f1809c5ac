#pragma once

#include <windows.h>

#include "platform/message_boxes.h"

namespace corvalinde::platform::win32 {

// Real modal message boxes, brought to the foreground. A box belongs to the window it concerns
// (its owner): that window takes no input until the box is closed, and the box has no taskbar
// button of its own. A command-line run from Explorer has no window to hang them on: no owner.
class SystemMessageBoxes final : public MessageBoxes {
 public:
  explicit SystemMessageBoxes(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  MessageAnswer Show(const MessageRequest& request) override;

 private:
  HWND owner_;
};

}  // namespace corvalinde::platform::win32
