// The registered-module browser from the tray menu: a module registered for real is found by
// its file name, and gone after unregistering and "Refresh".
#include <gtest/gtest.h>

#include "browser_fixture.h"

#include <commctrl.h>

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

TEST_F(Browser, FindsARegisteredModuleAndRefreshDropsItWhenUnregistered) {
  // A key with the longest name Windows allows, listed among the first: it must not end the
  // listing there.
  const std::wstring longest = L"!" + std::wstring(254, L'x');
  RegCloseKey(CreateKey(longest));
  RunCommandLine(L"/filename " + module_ + L" /modal R");
  HWND browser = OpenBrowser();
  ASSERT_TRUE(browser);
  long rows = RowCount(browser);
  EXPECT_GT(rows, 1);

  std::wstring found = SearchModule(browser, L"TESTMOD_GOOD.dll");
  EXPECT_EQ(found.rfind(L"Occorrenza trovata (Posizione ", 0), 0u) << testing::PrintToString(found);

  // Its file's version resource, read by the file checks: "Versione file" and "Produttore".
  HWND filter = FindChild(browser, L"Edit", 0);
  SetText(filter, L"TESTMOD_GOOD.DLL");  // a row for each of its two ProgIDs
  WaitUntil([&] { return RowCount(browser) == 2; }, 10s);
  ASSERT_TRUE(SelectFirstRow(FindChild(browser, L"SysListView32")));
  std::wstring copied;
  auto versionShown = [&] {
    copied = CopiedText([] { PressKey('C', true); });
    return copied.find(L"\t1.2.3.4\tCorvalinde\r\n") != std::wstring::npos;
  };
  WaitUntil(versionShown, 30s);  // the file checks run last
  EXPECT_TRUE(versionShown()) << testing::PrintToString(copied);

  // "Esporta..." writes the rows shown as the type chosen says; a name typed without an
  // extension gets that type's.
  const std::wstring exported = TempFile(L"lista esportata");
  DeleteFileW((exported + L".html").c_str());
  ASSERT_TRUE(ChooseFromRowMenu(browser, FindChild(browser, L"SysListView32"), 2));  // Esporta
  HWND save = app_.WaitForWindow(L"#32770", L"Esporta la lista", 10s);
  ASSERT_TRUE(save);
  // The type list takes a choice once confirmed (CBN_SELENDOK), as after a click.
  constexpr int kFileTypes = 0x470;
  SendDlgItemMessageW(save, kFileTypes, CB_SETCURSEL, 1, 0);
  SendMessageW(save, WM_COMMAND, MAKEWPARAM(kFileTypes, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(GetDlgItem(save, kFileTypes)));
  SetText(FindChild(save, L"Edit"), exported);
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitGone(save));
  WaitUntil([&] { return FileBytes(exported + L".html").find("</table>") != std::string::npos; },
            10s);
  EXPECT_NE(FileBytes(exported + L".html").find("Corvalinde.TestModule.1"), std::string::npos);
  DeleteFileW((exported + L".html").c_str());
  SetText(filter, L"");
  WaitUntil([&] { return RowCount(browser) == rows; }, 10s);

  // Opening it again from the menu shows the same window without loading again.
  EXPECT_EQ(OpenBrowser(), browser);
  EXPECT_EQ(app_.FindWindowOfClass(L"CorvalindeBusy", true), nullptr);

  RunCommandLine(L"/filename " + module_ + L" /modal U");
  PressButton(browser, L"Refresh");
  WaitUntil([&] { return RowCount(browser) != rows; }, 10s);
  EXPECT_EQ(RowCount(browser), rows - 2);
  EXPECT_EQ(SearchModule(browser, L"testmod_good.dll"), L"Nessuna occorrenza trovata");

  PressButton(browser, L"Esci");
  EXPECT_TRUE(WaitGone(browser));
  EXPECT_TRUE(app_.IsRunning());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, longest.c_str());
}

// A module registered, then deleted: the browser's file check flags it, "Solo mancanti" with
// the filter finds it alone, and Ctrl+C copies it.
TEST_F(Browser, ARegistrationWhoseFileIsGoneIsFlagged) {
  const std::wstring gone = TestModule(L"testmod_gone");
  ASSERT_TRUE(CopyFileW(module_.c_str(), gone.c_str(), FALSE));
  RunCommandLine(L"/filename " + gone + L" /modal R");
  ASSERT_TRUE(DeleteFileW(gone.c_str()));
  HWND browser = OpenBrowser();
  ASSERT_TRUE(browser);
  long rows = RowCount(browser);
  SetText(FindChild(browser, L"Edit", 0), L"TESTMOD_GONE");
  ASSERT_TRUE(OnlyMissing(browser));
  const std::wstring flagged =
      L"Lista moduli registrati ( Numero moduli :2 di " + std::to_wstring(rows) + L" )";
  WaitUntil([&] { return WindowText(browser) == flagged; }, 30s);  // the file checks run last
  EXPECT_EQ(WindowText(browser), flagged);

  // A click on that row and Ctrl+C copy it, with the header line.
  HWND list = FindChild(browser, L"SysListView32");
  ASSERT_TRUE(SelectFirstRow(list));
  std::wstring copied = CopiedText([] { PressKey('C', true); });
  EXPECT_EQ(copied.rfind(L"ID\t", 0), 0u) << testing::PrintToString(copied);
  EXPECT_NE(copied.find(L"\r\n"), std::wstring::npos);
  EXPECT_NE(copied.find(gone + L"\t"), std::wstring::npos) << testing::PrintToString(copied);
  EXPECT_NE(copied.find(L"\tfile mancante\t"), std::wstring::npos);
  PressButton(browser, L"Esci");
  RunCommandLine(L"/filename " + module_ + L" /modal U");  // the same class: its keys go
}

// A module that closes the browser and the tray's hidden window while the browser unregisters
// it: the unregistering ends as usual, then both close, the settings are saved, no host stays.
TEST_F(Browser, AModuleThatClosesTheWindowsWhileUnregisteredIsSurvived) {
  const std::wstring module = TestModule(L"testmod_do_closewindows");
  const std::wstring classKey = L"CLSID\\{C0B7A11D-0000-4000-8000-0000000C105E}";
  const std::wstring settings = ProgramFolder() + L"\\opz.dat";
  DeleteFileW(settings.c_str());
  SetText(L"Corvalinde.CloseWindows\\CLSID", nullptr, classKey.substr(6));
  SetText(classKey + L"\\InprocServer32", nullptr, module);
  HWND browser = OpenBrowser();
  ASSERT_TRUE(browser);
  HWND list = ShowOnly(browser, L"DO_CLOSEWINDOWS", 1);
  ASSERT_TRUE(list);
  ASSERT_TRUE(ChooseFromRowMenu(browser, list, 4));  // "Unregistra modulo"
  auto ask = app_.WaitForMessageBox(10s);
  ASSERT_TRUE(ask.has_value());
  ASSERT_TRUE(AnswerYes(ask->window));
  auto done = app_.WaitForMessageBox(30s);
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->text, L"Modulo : " + module + L"\r\nUnregistrato con successo");
  PressButton(done->window, L"OK");
  EXPECT_EQ(app_.WaitForExit(30s), std::optional<DWORD>(0));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  EXPECT_TRUE(GetFileAttributesExW(settings.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 640u);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Corvalinde.CloseWindows");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey.c_str());
  DeleteFileW(settings.c_str());
}

// "Verifica registrazione" on a registration that lost its threading model: what is missing,
// "Registra di nuovo", and the verification that follows finds it complete.
TEST_F(Browser, VerifyingARowOffersToRegisterAgainAndThenItIsComplete) {
  RunCommandLine(L"/filename " + module_ + L" /modal R");
  // Its server's key, as the module spells it.
  const std::wstring server =
      L"Software\\Classes\\CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}\\InProcServer32";
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, server.c_str(), L"ThreadingModel"),
            ERROR_SUCCESS);
  HWND browser = OpenBrowser();
  ASSERT_TRUE(browser);
  HWND list = ShowOnly(browser, L"TESTMOD_GOOD.DLL", 2);
  ASSERT_TRUE(list);
  ASSERT_TRUE(ChooseFromRowMenu(browser, list, 5));  // "Verifica registrazione"
  auto found = app_.WaitForMessageBox(60s);
  ASSERT_TRUE(found.has_value());
  EXPECT_NE(found->text.find(L"\r\nManca il valore: HKEY_LOCAL_MACHINE\\" + server +
                             L" ThreadingModel\r\n"),
            std::wstring::npos)
      << testing::PrintToString(found->text);
  EXPECT_NE(found->text.find(L"\r\n\r\nRegistrare di nuovo il modulo?"), std::wstring::npos);
  ASSERT_TRUE(AnswerYes(found->window));
  auto again = app_.WaitForMessageBox(60s);
  ASSERT_TRUE(again.has_value());
  EXPECT_NE(again->text.find(L"\r\nRegistrazione completa: "), std::wstring::npos)
      << testing::PrintToString(again->text);
  PressButton(again->window, L"OK");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, server, L"ThreadingModel"), L"Apartment");
  RunCommandLine(L"/filename " + module_ + L" /modal U");
  PressButton(browser, L"Esci");
  EXPECT_TRUE(WaitGone(browser));
}

// Wine takes its DPI from LogPixels when a program starts: programs started while this lives
// run at `dpi`.
class ProgramsStartAtDpi {
 public:
  explicit ProgramsStartAtDpi(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof previous_;
    had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
  }
  ~ProgramsStartAtDpi() {
    if (had_) {
      RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_),
                     sizeof previous_);
    } else {
      RegDeleteValueW(key_, L"LogPixels");
    }
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 0;
  bool had_ = false;
};

RECT ScreenRect(HWND window) {
  RECT place{};
  GetWindowRect(window, &place);
  return place;
}

// At 144 DPI on this 1024 x 768 screen the browser, drawn 794 pixels wide at 96 DPI, would be
// wider than the screen: it opens within the work area, and keeps its buttons in the corner
// when resized. The About box's labels grow with the DPI.
TEST(AtHighDpi, TheWindowsScaleAndTheBrowserFitsTheScreen) {
  ProgramsStartAtDpi dpi(144);
  AppProcess app(ProgramPath(), L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control);

  ASSERT_TRUE(ChooseFromTrayMenu(app, control, TrayCommand::About));
  HWND about = app.WaitForWindow(L"CorvalindeAbout", L"", 5s);
  ASSERT_TRUE(about);
  RECT aboutOf = ScreenRect(FindChild(about, L"Static", 1));  // 90 x 22 at 96 DPI
  EXPECT_EQ(aboutOf.right - aboutOf.left, 135);
  EXPECT_EQ(aboutOf.bottom - aboutOf.top, 33);
  PostMessageW(about, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(about));

  ASSERT_TRUE(ChooseFromTrayMenu(app, control, TrayCommand::ModuleList));
  HWND browser = app.WaitForWindow(L"CorvalindeModuli", L"", 60s);
  ASSERT_TRUE(browser);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  auto inside = [](const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
  };
  HWND list = FindChild(browser, L"SysListView32");
  HWND esci = FindChild(browser, L"Button", 8);
  ASSERT_EQ(WindowText(esci), L"&Esci");
  EXPECT_TRUE(inside(ScreenRect(browser), work));
  EXPECT_TRUE(inside(ScreenRect(esci), work));

  SetWindowPos(browser, nullptr, work.left, work.top, 900, 600, SWP_NOZORDER);
  WaitUntil(  // laid out again: the list as wide as the new client area
      [&] {
        RECT area{};
        GetClientRect(browser, &area);
        return ScreenRect(list).right - ScreenRect(list).left == area.right;
      },
      5s);
  RECT client{};
  GetClientRect(browser, &client);
  MapWindowPoints(browser, nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT button = ScreenRect(esci), rows = ScreenRect(list);
  // At 96 DPI: 8 pixels from the right; the panel's 107 pixels (160.5, rounded up) less the
  // button's 62 + 30 below its top.
  EXPECT_EQ(client.right - button.right, 12);
  EXPECT_EQ(client.bottom - button.bottom, 161 - 93 - 45);
  EXPECT_EQ(rows.right - rows.left, client.right - client.left);
  EXPECT_EQ(client.bottom - rows.bottom, 161);
  PressButton(browser, L"Esci");
}

}  // namespace
}  // namespace corvalinde::e2e
