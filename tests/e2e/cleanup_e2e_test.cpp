// The browser's clean-up for a user without administrator rights (the machine's keys go through
// the elevated host): a copy of the sample module registered, then deleted, sharing its
// application with a class still in use. "Rimuovi voci orfane..." takes exactly its keys after
// a backup, which "Ripristina da .reg..." writes back byte for byte; with no place for the
// backup nothing is removed, here for two rows selected together.
#include <filesystem>
#include <fstream>

#include "browser_fixture.h"
#include "registry_export.h"

namespace corvalinde::e2e {
namespace {

const std::wstring kClasses = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\";
const std::wstring kClassKey = L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}";
const std::wstring kProgId = L"Corvalinde.TestModule";
const std::wstring kAppId = L"{C0A1D2E3-0000-4000-8000-00000000A991}";
const std::wstring kSibling = L"CLSID\\{C0A1D2E3-0000-4000-8000-00000000A992}";
const std::wstring kSecondId = L"{C0A1D2E3-0000-4000-8000-00000000A993}";

// The export without the sections of `keys` (below the machine's classes) and of their
// sub-keys.
std::wstring Without(const std::wstring& exported, const std::vector<std::wstring>& keys) {
  return WithoutSections(exported, [&](std::wstring_view keyLine) {
    std::wstring header(keyLine);
    CharUpperW(header.data());
    for (std::wstring key : keys) {
      key = L"[" + kClasses + key;
      CharUpperW(key.data());
      if (header == key + L"]" || header.rfind(key + L"\\", 0) == 0) return true;
    }
    return false;
  });
}

class BrowserCleanup : public Browser {
 protected:
  static void SetUpTestSuite() { SetEnvironmentVariableW(L"CORVALINDE_TEST_NOT_ELEVATED", L"1"); }
  static void TearDownTestSuite() {
    SetEnvironmentVariableW(L"CORVALINDE_TEST_NOT_ELEVATED", nullptr);
  }

  // The rows of the orphans, shown alone once the file checks have flagged them.
  void ShowTheOrphans(HWND browser, int rows) {
    SetText(FindChild(browser, L"Edit", 0), L"TESTMOD_ORPHAN");
    if (SendMessageW(FindChild(browser, L"Button", 0), BM_GETCHECK, 0, 0) != BST_CHECKED) {
      PressButton(browser, L"Solo mancanti");
    }
    const std::wstring shown = L":" + std::to_wstring(rows) + L" di ";
    WaitUntil([&] { return WindowText(browser).find(shown) != std::wstring::npos; }, 30s);
    ASSERT_NE(WindowText(browser).find(shown), std::wstring::npos) << WindowText(browser).size();
  }

  // Presses "Rimuovi voci orfane...", says yes, and gives the message that follows.
  std::wstring RemoveOrphans(HWND browser) {
    PressButton(browser, L"Rimuovi voci orfane...");
    return ConfirmRemoval(1);
  }

  // Says yes to the question, which names `classes` classes and the sample's class key, and
  // gives the message that follows.
  std::wstring ConfirmRemoval(int classes) {
    auto ask = app_.WaitForMessageBox(30s);
    if (!ask) return L"(no question)";
    EXPECT_EQ(ask->text.rfind(L"Rimuovere le voci di " + std::to_wstring(classes) + L" classi", 0),
              0u);
    EXPECT_NE(ask->text.find(kClasses + kClassKey), std::wstring::npos) << ask->text.size();
    AnswerYes(ask->window);
    WaitGone(ask->window);
    auto done = app_.WaitForMessageBox(60s);
    if (!done) return L"(no answer)";
    PressButton(done->window, L"OK");
    WaitGone(done->window);
    return done->text;
  }
};

TEST_F(BrowserCleanup, RemovesAnOrphanAfterABackupThatRestoresIt) {
  const std::wstring gone = TestModule(L"testmod_orphan");
  ASSERT_TRUE(CopyFileW(module_.c_str(), gone.c_str(), FALSE));
  RunCommandLine(L"/filename " + gone + L" /modal R");
  ASSERT_TRUE(DeleteFileW(gone.c_str()));
  SetText(kClassKey, L"AppID", kAppId);
  SetText(L"AppID\\" + kAppId, nullptr, L"Corvalinde orfano");
  SetText(kSibling, L"AppID", kAppId);
  SetText(kSibling + L"\\InprocServer32", nullptr, module_);
  const std::wstring before = Exported(kClasses.substr(0, kClasses.size() - 1));

  HWND browser = OpenBrowser();
  ASSERT_TRUE(browser);
  ShowTheOrphans(browser, 1);
  std::wstring removed = RemoveOrphans(browser);
  const std::wstring report = L"Rimosse 1 classi (7 chiavi). Copia di sicurezza: ";
  ASSERT_EQ(removed.rfind(report, 0), 0u) << testing::PrintToString(removed);
  const std::wstring backup = removed.substr(report.size());
  EXPECT_NE(backup.find(L"\\Corvalinde\\Backup\\rimozione-"), std::wstring::npos);
  // Its class and identifier, not the application the other class names.
  const std::wstring after = Exported(kClasses.substr(0, kClasses.size() - 1));
  EXPECT_EQ(Difference(Without(before, {kClassKey, kProgId}), after), "");
  EXPECT_NE(after.find(L"\\AppID\\" + kAppId + L"]"), std::wstring::npos);

  PressButton(browser, L"Ripristina da .reg...");
  HWND open = app_.WaitForWindow(L"#32770", L"Ripristina da .reg", 10s);
  ASSERT_TRUE(open);
  SetText(FindChild(open, L"Edit"), backup);
  PostMessageW(open, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitGone(open));
  auto ask = app_.WaitForMessageBox(10s);
  ASSERT_TRUE(ask.has_value());
  EXPECT_EQ(ask->text, L"Ripristinare da " + backup +
                           L"?\r\n7 chiavi e 9 valori, sotto:\r\n"
                           L"HKEY_LOCAL_MACHINE\\Software\\Classes");
  AnswerYes(ask->window);
  auto restored = app_.WaitForMessageBox(60s);
  ASSERT_TRUE(restored.has_value());
  EXPECT_EQ(restored->text, L"Ripristinate 7 chiavi (9 valori) da " + backup);
  PressButton(restored->window, L"OK");
  EXPECT_EQ(Difference(before, Exported(kClasses.substr(0, kClasses.size() - 1))), "");

  // A second orphan; both selected (Ctrl+A) and removed from the context menu, with the
  // backup's folder replaced by a file: nothing is removed, and the message says why.
  SetText(L"Corvalinde.Orfano\\CLSID", nullptr, kSecondId);
  SetText(L"CLSID\\" + kSecondId + L"\\InprocServer32", nullptr, gone + L"2.dll");
  const std::wstring withSecond = Exported(kClasses.substr(0, kClasses.size() - 1));
  const std::filesystem::path folder = std::filesystem::path(backup).parent_path();
  std::filesystem::remove_all(folder);
  { std::ofstream(folder) << "not a folder"; }
  PressButton(browser, L"Refresh");
  ShowTheOrphans(browser, 2);
  HWND list = FindChild(browser, L"SysListView32");
  ASSERT_TRUE(SelectFirstRow(list));
  PressKey('A', true);
  constexpr UINT kSelectedCount = 0x1000 + 50;  // LVM_GETSELECTEDCOUNT
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, kSelectedCount, 0, 0) == 2; }, 5s));
  PostMessageW(browser, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  HWND menu = app_.WaitForWindow(L"#32768", L"", 5s);
  ASSERT_TRUE(menu);
  for (int i = 0; i < 2; ++i) PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);  // the last but one
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(ConfirmRemoval(2),
            L"Impossibile scrivere la copia di sicurezza: nulla è stato rimosso.\r\n"
            L"Impossibile creare la cartella " +
                folder.wstring());
  EXPECT_EQ(Difference(withSecond, Exported(kClasses.substr(0, kClasses.size() - 1))), "");

  PressButton(browser, L"Esci");
  std::filesystem::remove(folder);
  for (const std::wstring& key : {kClassKey, kProgId, L"AppID\\" + kAppId, kSibling,
                                  L"CLSID\\" + kSecondId, std::wstring(L"Corvalinde.Orfano")}) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  }
}

}  // namespace
}  // namespace corvalinde::e2e
