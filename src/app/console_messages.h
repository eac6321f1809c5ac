// The messages of a silent run ("/s"): no box at all, each message's text on the console the
// program was started from (or the standard output it was given), and no question asked: one
// reads as answered with the choice that changes nothing (No, Cancel).
#pragma once

#include "platform/console.h"
#include "platform/message_boxes.h"

namespace corvalinde {

class ConsoleMessages final : public platform::MessageBoxes {
 public:
  explicit ConsoleMessages(platform::ConsoleOutput* console) : console_(console) {}
  platform::MessageAnswer Show(const platform::MessageRequest& request) override;

 private:
  platform::ConsoleOutput* console_;
};

}  // namespace corvalinde
