// Message boxes that show nothing: each request is recorded for the test to read, and answered
// from a queue the test fills (when it is empty: OK, No for a Yes/No box, Cancel for a
// Retry/Cancel box).
#pragma once

#include <deque>
#include <vector>

#include "platform/message_boxes.h"

namespace corvalinde::platform::inmemory {

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  MessageAnswer Show(const MessageRequest& request) override;

  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  const std::vector<MessageRequest>& Shown() const { return shown_; }

 private:
  std::vector<MessageRequest> shown_;
  std::deque<MessageAnswer> answers_;
};

}  // namespace corvalinde::platform::inmemory
