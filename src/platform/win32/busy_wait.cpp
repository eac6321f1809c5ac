#include "platform/win32/busy_wait.h"

#include <algorithm>

#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"

namespace corvalinde::platform::win32 {
namespace {

constexpr wchar_t kBusyClass[] = L"CorvalindeBusy";
constexpr auto kShowAfter = std::chrono::seconds(1);

BOOL CALLBACK DisableWindow(HWND window, LPARAM list) {
  if (IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

}  // namespace

BusyWait::BusyWait(std::wstring activity) : activity_(std::move(activity)) {
  if (plain_) return;
  active_ = GetActiveWindow();
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled_));
}

BusyWait::~BusyWait() {
  for (HWND window : disabled_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (window_) DestroyWindow(window_);
  if (active_ && IsWindow(active_)) SetActiveWindow(active_);
}

bool BusyWait::WaitFor(HANDLE object, DWORD limit) {
  if (plain_) return WaitForSingleObject(object, limit) == WAIT_OBJECT_0;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now())
                    .count();
    // At least once a second, to count the seconds in the window.
    DWORD slice = static_cast<DWORD>(std::clamp<long long>(left, 0, 250));
    DWORD woken = MsgWaitForMultipleObjects(1, &object, FALSE, slice, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) return true;
    Pump();
    if (left <= 0) return false;
  }
}

void BusyWait::Pump() {
  ProcessPendingMessages();
  auto elapsed = std::chrono::steady_clock::now() - start_;
  if (elapsed < kShowAfter || activity_.empty()) return;
  if (!window_) {
    static const bool registered =
        RegisterWindowClass(kBusyClass, ScalingWindowProc, nullptr, IDC_WAIT);
    if (!registered) return;
    window_ = CreateCentredWindow(kBusyClass, L"Corvalinde", WS_POPUP | WS_CAPTION,
                                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 420, 56, active_, nullptr);
    // A long path loses its middle, not its end: the file's name stays readable.
    CreateControl(window_, L"STATIC", activity_, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 12, 8,
                  396, 18, 1);
    time_ = CreateControl(window_, L"STATIC", L"", SS_LEFT, 12, 30, 396, 18, 2);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
  }
  long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  if (seconds != shownSeconds_) {
    shownSeconds_ = seconds;
    SetWindowTextW(time_, (std::to_wstring(seconds) + L" s").c_str());
    UpdateWindow(window_);
  }
}

}  // namespace corvalinde::platform::win32
