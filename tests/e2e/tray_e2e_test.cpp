// Tray mode under Wine: started without arguments, the program waits behind its tray icon; the
// shell's callback opens the popup menu, and "Esci" or closing the main window saves and ends.
#include <gtest/gtest.h>

#include <fstream>

#include "app_driver.h"
#include "common/version.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

std::size_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

class TrayMode : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileW(SettingsFile().c_str()); }
  void TearDown() override { DeleteFileW(SettingsFile().c_str()); }

  HWND OpenMenu(const AppProcess& app, milliseconds wait) {
    return app.WaitForWindow(L"#32768", L"", wait);
  }
};

TEST_F(TrayMode, ButtonPressesOpenTheMenuMovesAndReleasesDoNot) {
  AppProcess app(ProgramPath(), L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control) << "no tray callback control";
  ASSERT_TRUE(Answers(control));  // start-up is over: a box of its would be up
  EXPECT_FALSE(app.WaitForMessageBox(0ms).has_value());

  for (UINT quiet : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK}) {
    EXPECT_TRUE(SendTrayCallbackAndWait(control, quiet)) << "message " << quiet;
    EXPECT_FALSE(OpenMenu(app, 0ms)) << "message " << quiet;
  }
  for (UINT press : {WM_RBUTTONDOWN, WM_LBUTTONDOWN}) {
    SendTrayCallback(control, press);
    HWND menu = OpenMenu(app, 5s);
    ASSERT_TRUE(menu) << "message " << press;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return !IsWindowVisible(menu); }, 5s);
  }

  // Closing the main window takes the exit path: settings written, process ended.
  PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
  EXPECT_EQ(FileSize(SettingsFile()), 640u);
}

TEST_F(TrayMode, AboutShowsTheVersionAndEsciSavesAndEnds) {
  AppProcess app(ProgramPath(), L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control);

  SendTrayCallback(control, WM_RBUTTONDOWN);
  HWND menu = OpenMenu(app, 5s);
  ASSERT_TRUE(menu);
  PostMessageW(menu, WM_CHAR, L'a', 0);  // "&About"
  HWND about = app.WaitForWindow(L"CorvalindeAbout", L"About di Corvalinde", 5s);
  ASSERT_TRUE(about);
  std::vector<std::wstring> labels;
  for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    labels.push_back(WindowText(child));
  }
  EXPECT_NE(
      std::find(labels.begin(), labels.end(), L"Ver." + std::wstring(CORVALINDE_VERSION_TEXT)),
      labels.end());
  EXPECT_NE(std::find(labels.begin(), labels.end(), L"Corvalinde"), labels.end());
  PostMessageW(about, WM_CLOSE, 0, 0);
  WaitGone(about);

  SendTrayCallback(control, WM_LBUTTONDOWN);
  menu = OpenMenu(app, 5s);
  ASSERT_TRUE(menu);
  PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);  // from nothing selected: the last item, "Esci"
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
  EXPECT_EQ(FileSize(SettingsFile()), 640u);
}

TEST_F(TrayMode, VisibleOneGoesOnIntoTheTrayAfterTheMessage) {
  std::wstring good = TestModule(L"testmod_good");
  AppProcess app(ProgramPath(), L"/filename " + good + L" /modal R /visible 1");
  auto box = app.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + good + L"\r\nRegistrato con successo");
  // No tray before the message is closed.
  EXPECT_FALSE(FindWindowExW(app.FindWindowOfClass(L"CorvalindeMain", false), nullptr,
                             L"CorvalindeTrayControl", nullptr));
  PressButton(box->window, L"OK");
  EXPECT_TRUE(WaitForTrayControl(app));
  AppProcess(ProgramPath(), L"/filename " + good + L" /modal u").WaitForExit(20s);
}

}  // namespace
}  // namespace corvalinde::e2e
