// The program started in tray mode, as at log-on: a test gets it once its tray is up, opens its
// windows from the tray menu and ends it with "Esci".
#pragma once

#include <gtest/gtest.h>

#include "app_driver.h"

namespace corvalinde::e2e {

class TrayApp : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = WaitForTrayControl(app_);
    ASSERT_TRUE(control_) << "no tray callback control";
  }

  // The window a menu command opens (by its class); null when it does not come.
  HWND Open(TrayCommand command, const wchar_t* windowClass) {
    if (!ChooseFromTrayMenu(app_, control_, command)) return nullptr;
    // The browser first reads the registry.
    HWND window = app_.WaitForWindow(windowClass, L"", std::chrono::seconds(60));
    if (window) WaitForeground(window);
    return window;
  }
  // "Esci": the program saves and ends with 0.
  void Exit() {
    ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, TrayCommand::Exit));
    EXPECT_EQ(app_.WaitForExit(std::chrono::seconds(10)), std::optional<DWORD>(0));
  }

  AppProcess app_{ProgramPath(), L""};
  HWND control_ = nullptr;
};

}  // namespace corvalinde::e2e
