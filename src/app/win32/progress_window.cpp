#include "app/win32/progress_window.h"

#include <commctrl.h>

#include <chrono>
#include <string>

#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"

namespace corvalinde {
namespace {

constexpr wchar_t kProgressClass[] = L"CorvalindeProgress";

class Win32ProgressWindow final : public ProgressWindow {
 public:
  Win32ProgressWindow() {
    // 6435 x 465 twips.
    window_ = platform::win32::CreateCentredWindow(kProgressClass, L"", WS_POPUP | WS_CAPTION,
                                                   WS_EX_TOOLWINDOW, 429, 31, nullptr, nullptr);
    RECT client{};
    GetClientRect(window_, &client);
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0,
                           client.right, client.bottom, window_, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  }
  void Show() override {
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  void Hide() override { ShowWindow(window_, SW_HIDE); }
  void SetCaption(const std::wstring& caption) override {
    caption_ = caption;
    Present(false);
  }
  void SetRange(std::int64_t minimum, std::int64_t maximum) override {
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(Clamp(minimum)),
                 static_cast<LPARAM>(Clamp(maximum)));
    shownPosition_ = -1;
  }
  void SetPosition(std::int64_t position) override {
    position_ = Clamp(position);
    Present(false);
  }
  void Repaint() override { Present(true); }

 private:
  // The caller reports every step (one per registry key, per row searched): the window shows
  // the latest at most twenty times a second, only what changed, and answers its messages
  // then, so the program never looks hung and the reports cost next to nothing.
  void Present(bool now) {
    auto time = std::chrono::steady_clock::now();
    if (!now && time - shownAt_ < std::chrono::milliseconds(50)) return;
    shownAt_ = time;
    if (position_ != shownPosition_) {
      SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
      shownPosition_ = position_;
    }
    if (caption_ != shownCaption_) {
      SetWindowTextW(window_, caption_.c_str());
      shownCaption_ = caption_;
    }
    UpdateWindow(window_);
    platform::win32::ProcessPendingMessages();
  }

  static int Clamp(std::int64_t value) {
    return static_cast<int>(std::min<std::int64_t>(std::max<std::int64_t>(value, 0), 0x7FFFFFFF));
  }
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
  std::wstring caption_, shownCaption_;
  int position_ = 0, shownPosition_ = -1;
  std::chrono::steady_clock::time_point shownAt_{};
};

}  // namespace

bool RegisterProgressClass() {
  return platform::win32::RegisterWindowClass(kProgressClass, platform::win32::ScalingWindowProc,
                                              nullptr, IDC_WAIT);
}

ProgressWindow& SharedProgressWindow() {
  static Win32ProgressWindow window;  // loaded on first use, hidden between runs
  return window;
}

}  // namespace corvalinde
