// Dialogs that show nothing: requests are recorded, answers come from what the test queued
// (an empty text, as for a cancelled dialog, when none is left).
#pragma once

#include <deque>
#include <vector>

#include "platform/common_dialogs.h"

namespace corvalinde::platform::inmemory {

class RecordingDialogs final : public CommonDialogs {
 public:
  struct InputRequest {
    std::wstring prompt, title, defaultText;
  };

  std::wstring OpenFile(const OpenFileRequest& request) override {
    openFileRequests.push_back(request);
    return Next(fileAnswers);
  }
  SavedFile SaveFile(const OpenFileRequest& request) override {
    saveFileRequests.push_back(request);
    return {Next(fileAnswers), savedType};
  }
  std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                        const std::wstring& defaultText) override {
    inputRequests.push_back({prompt, title, defaultText});
    return Next(inputAnswers);
  }

  std::deque<std::wstring> fileAnswers, inputAnswers;
  std::size_t savedType = 0;  // the type every save dialog says was chosen
  std::vector<OpenFileRequest> openFileRequests, saveFileRequests;
  std::vector<InputRequest> inputRequests;

 private:
  static std::wstring Next(std::deque<std::wstring>& answers) {
    if (answers.empty()) return {};
    std::wstring answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace corvalinde::platform::inmemory
