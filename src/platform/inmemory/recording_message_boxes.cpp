#include "platform/inmemory/recording_message_boxes.h"

namespace corvalinde::platform::inmemory {

MessageAnswer RecordingMessageBoxes::Show(const MessageRequest& request) {
  shown_.push_back(request);
  if (!answers_.empty()) {
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace corvalinde::platform::inmemory
