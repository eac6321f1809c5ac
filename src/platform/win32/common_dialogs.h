#pragma once

#include <string>

#include "platform/common_dialogs.h"

namespace corvalinde::platform::win32 {

// The file-open and file-save dialogs of comdlg32, and an input box of our own (Win32 has none),
// modal over `owner`. The input box's button captions come from the caller, in the program's
// language.
class SystemDialogs final : public CommonDialogs {
 public:
  SystemDialogs(void* owner, std::wstring okCaption, std::wstring cancelCaption)
      : owner_(owner), ok_(std::move(okCaption)), cancel_(std::move(cancelCaption)) {}
  void SetOwner(void* owner) { owner_ = owner; }
  std::wstring OpenFile(const OpenFileRequest& request) override;
  SavedFile SaveFile(const OpenFileRequest& request) override;
  std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                        const std::wstring& defaultText) override;

 private:
  SavedFile FileDialog(const OpenFileRequest& request, bool save);
  void* owner_;
  std::wstring ok_, cancel_;
};

}  // namespace corvalinde::platform::win32
