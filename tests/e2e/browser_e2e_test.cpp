// The registered-module browser from the tray menu: a module registered for real is found by
// its file name, and gone after unregistering and "Refresh".
#include <gtest/gtest.h>

#include "app_driver.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kMenuModuleList = 2;

void RunCommandLine(const std::wstring& arguments) {
  AppProcess run(ProgramFolder() + L"\\Corvalinde.exe", arguments);
  if (auto box = run.WaitForMessageBox(20s)) PressButton(box->window, L"OK");
  run.WaitForExit(10s);
}

// The row count in "Lista moduli registrati ( Numero moduli :N )", or -1.
long RowCount(HWND browser) {
  std::wstring caption = WindowText(browser);
  const std::wstring prefix = L"Lista moduli registrati ( Numero moduli :";
  if (caption.rfind(prefix, 0) != 0 || caption.size() < prefix.size() + 2 ||
      caption.substr(caption.size() - 2) != L" )") {
    return -1;
  }
  return std::stol(caption.substr(prefix.size(), caption.size() - prefix.size() - 2));
}

HKEY CreateKey(const std::wstring& name) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

class Browser : public ::testing::Test {
 protected:
  // Searches the module column for `name`; the result message's text.
  std::wstring SearchModule(HWND browser, const std::wstring& name) {
    PressButton(browser, L"modulo (DLL)");
    Sleep(300);
    HWND moduleBox = FindChild(browser, L"Edit", 1);
    if (!moduleBox || !IsWindowEnabled(moduleBox)) return L"(module box not usable)";
    SetText(moduleBox, name);
    PressButton(browser, L"Ricerca");
    auto result = app_.WaitForMessageBox(30s);
    if (!result) return L"(no result)";
    EXPECT_EQ(result->title, L"Risultato ricerca");
    PressButton(result->window, L"OK");
    for (int tries = 0; tries < 50 && IsWindow(result->window); ++tries) Sleep(100);
    return result->text;
  }

  std::wstring module_ = ProgramFolder() + L"\\testmod_good.dll";
  AppProcess app_{ProgramFolder() + L"\\Corvalinde.exe", L""};
};

TEST_F(Browser, FindsARegisteredModuleAndRefreshDropsItWhenUnregistered) {
  // A key with the longest name Windows allows, listed among the first: it must not end the
  // listing there.
  const std::wstring longest = L"!" + std::wstring(254, L'x');
  RegCloseKey(CreateKey(longest));
  RunCommandLine(L"/filename " + module_ + L" /modal R");
  HWND control = WaitForTrayControl(app_);
  ASSERT_TRUE(control);
  ASSERT_TRUE(ChooseFromTrayMenu(app_, control, kMenuModuleList));
  HWND browser = app_.WaitForWindow(L"CorvalindeModuli", L"", 60s);
  ASSERT_TRUE(browser);
  long rows = RowCount(browser);
  EXPECT_GT(rows, 1);

  std::wstring found = SearchModule(browser, L"TESTMOD_GOOD.dll");
  EXPECT_EQ(found.rfind(L"Occorrenza trovata (Posizione ", 0), 0u) << testing::PrintToString(found);

  // Opening it again from the menu shows the same window without loading again.
  ASSERT_TRUE(ChooseFromTrayMenu(app_, control, kMenuModuleList));
  Sleep(500);
  EXPECT_EQ(app_.WaitForWindow(L"CorvalindeModuli", L"", 5s), browser);

  RunCommandLine(L"/filename " + module_ + L" /modal U");
  PressButton(browser, L"Refresh");
  for (int tries = 0; tries < 100 && RowCount(browser) == rows; ++tries) Sleep(100);
  EXPECT_EQ(RowCount(browser), rows - 1);
  EXPECT_EQ(SearchModule(browser, L"testmod_good.dll"), L"Nessuna occorrenza trovata");

  PressButton(browser, L"Esci");
  for (int tries = 0; tries < 50 && IsWindow(browser); ++tries) Sleep(100);
  EXPECT_FALSE(IsWindow(browser));
  EXPECT_TRUE(app_.IsRunning());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, longest.c_str());
}

}  // namespace
}  // namespace corvalinde::e2e
