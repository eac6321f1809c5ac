#include "platform/inmemory/recording_message_boxes.h"

namespace corvalinde::platform::inmemory {

MessageAnswer RecordingMessageBoxes::Show(const MessageRequest& request) {
  shown_.push_back(request);
  if (!answers_.empty()) {
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (request.buttons) {
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    case MessageButtons::RetryCancel:
      return MessageAnswer::Cancel;
    default:
      return MessageAnswer::Ok;
  }
}

}  // namespace corvalinde::platform::inmemory
