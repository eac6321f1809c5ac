#include "app/console_messages.h"

#include "common/texts.h"

namespace corvalinde {

platform::MessageAnswer ConsoleMessages::Show(const platform::MessageRequest& request) {
  if (console_) console_->Write(request.text + std::wstring(texts::kCrLf));
  switch (request.buttons) {
    case platform::MessageButtons::YesNo:
      return platform::MessageAnswer::No;
    case platform::MessageButtons::RetryCancel:
      return platform::MessageAnswer::Cancel;
    case platform::MessageButtons::Ok:
      break;
  }
  return platform::MessageAnswer::Ok;
}

}  // namespace corvalinde
