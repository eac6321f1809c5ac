// The browser's clean-up for a user without administrator rights (the machine's keys go through
// the elevated host): a copy of the sample module registered, then deleted, sharing its
// application with a class still in use. "Rimuovi voci orfane..." takes exactly its keys after
// a backup, which "Ripristina da .reg..." writes back byte for byte; with no place for the
// backup nothing is removed, here for two classes' rows selected together.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "browser_fixture.h"
#include "registry_export.h"

namespace corvalinde::e2e {
namespace {

const std::wstring kClasses = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\";
const std::wstring kClassKey = kSampleClassKey;
const std::wstring kProgId = kSampleProgId;
const std::wstring kVersionedProgId = kProgId + L".1";
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
    ASSERT_TRUE(OnlyMissing(browser));
    const std::wstring shown = L":" + std::to_wstring(rows) + L" di ";
    WaitUntil([&] { return WindowText(browser).find(shown) != std::wstring::npos; }, 30s);
    ASSERT_NE(WindowText(browser).find(shown), std::wstring::npos) << WindowText(browser).size();
  }

  // Presses "Rimuovi voci orfane...", says yes, and gives the message that follows.
  std::wstring RemoveOrphans(HWND browser) {
    PressButton(browser, L"Rimuovi voci orfane...");
    return ConfirmRemoval(1);
  }

  // Says yes to the question, which names `classes` classes and `classKey` (the sample's), and
  // gives the message that follows.
  std::wstring ConfirmRemoval(int classes, const std::wstring& classKey = kClassKey) {
    auto ask = app_.WaitForMessageBox(30s);
    if (!ask) return L"(no question)";
    EXPECT_EQ(ask->text.rfind(L"Rimuovere le voci di " + std::to_wstring(classes) + L" classi", 0),
              0u);
    EXPECT_NE(ask->text.find(kClasses + classKey), std::wstring::npos)
        << testing::PrintToString(ask->text);
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
  ShowTheOrphans(browser, 2);  // a row for each of its ProgIDs
  std::wstring removed = RemoveOrphans(browser);
  const std::wstring report = L"Rimosse 1 classi (10 chiavi). Copia di sicurezza: ";
  ASSERT_EQ(removed.rfind(report, 0), 0u) << testing::PrintToString(removed);
  const std::wstring backup = removed.substr(report.size());
  EXPECT_NE(backup.find(L"\\Corvalinde\\Backup\\rimozione-"), std::wstring::npos);
  // Its class and identifier, not the application the other class names.
  const std::wstring after = Exported(kClasses.substr(0, kClasses.size() - 1));
  EXPECT_EQ(Difference(Without(before, {kClassKey, kProgId, kVersionedProgId}), after), "");
  EXPECT_NE(after.find(L"\\AppID\\" + kAppId + L"]"), std::wstring::npos);

  PressButton(browser, L"Ripristina da .reg...");
  HWND open = app_.WaitForWindow(L"#32770", L"Ripristina da .reg", 10s);
  ASSERT_TRUE(open);
  SetText(FindChild(open, L"Edit"), backup);
  PostMessageW(open, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitGone(open));
  auto ask = app_.WaitForMessageBox(10s);
  ASSERT_TRUE(ask.has_value());
  const std::wstring question = L"Ripristinare da " + backup +
                                L"?\r\n10 chiavi e 12 valori. Chiavi da scrivere:\r\n" + kClasses +
                                kClassKey + L"\r\n";
  EXPECT_EQ(ask->text.rfind(question, 0), 0u) << testing::PrintToString(ask->text);
  EXPECT_EQ(ask->text.substr(ask->text.size() - 6 - kVersionedProgId.size()),
            kVersionedProgId + L"\\CLSID");
  AnswerYes(ask->window);
  auto restored = app_.WaitForMessageBox(60s);
  ASSERT_TRUE(restored.has_value());
  EXPECT_EQ(restored->text, L"Ripristinate 10 chiavi (12 valori) da " + backup);
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
  ShowTheOrphans(browser, 3);
  HWND list = FindChild(browser, L"SysListView32");
  ASSERT_TRUE(SelectFirstRow(list));
  PressKey('A', true);
  constexpr UINT kSelectedCount = 0x1000 + 50;  // LVM_GETSELECTEDCOUNT
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, kSelectedCount, 0, 0) == 3; }, 5s));
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
  for (const std::wstring& key :
       {kClassKey, kProgId, kVersionedProgId, L"AppID\\" + kAppId, kSibling, L"CLSID\\" + kSecondId,
        std::wstring(L"Corvalinde.Orfano")}) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  }
}

// Live classes as machines register them (bare names, a name without extension, a variable in
// a plain string, a program with arguments) beside one whose file is gone: once every row is
// checked only that one is "file mancante", and the clean-up over every row takes only it.
TEST_F(BrowserCleanup, OnlyAClassWhoseFileIsProvenGoneIsRemoved) {
  const struct {
    const wchar_t* server;
    std::wstring value;
  } classes[] = {
      {L"InprocServer32", L"ole32.dll"},
      {L"InprocServer32", L"OLEAUT32.DLL"},
      {L"InprocServer32", L"ole32"},
      {L"InprocServer32", L"%SystemRoot%\\system32\\ole32.dll"},
      {L"LocalServer32", L"notepad /Embedding"},
      {L"InprocServer32", TestModule(L"testmod_sparito")},  // never there
  };
  auto clsid = [](std::size_t i) {
    return L"{C0A1D2E3-0000-4000-8000-00000000B00" + std::to_wstring(i) + L"}";
  };
  auto progId = [](std::size_t i) { return L"Corvalinde.Vivo" + std::to_wstring(i); };
  for (std::size_t i = 0; i < std::size(classes); ++i) {
    SetText(progId(i) + L"\\CLSID", nullptr, clsid(i));
    SetText(L"CLSID\\" + clsid(i) + L"\\" + classes[i].server, nullptr, classes[i].value);
  }
  const std::size_t gone = std::size(classes) - 1;
  const std::wstring before = Exported(kClasses.substr(0, kClasses.size() - 1));

  HWND browser = OpenBrowser();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(ShowOnly(browser, L"Corvalinde.Vivo", 6));
  // Each row's "Stato", once all six have one (the checks run last).
  std::map<std::wstring, std::wstring> status;
  auto allChecked = [&] {
    status.clear();
    std::wstring copied = CopiedText([] {
      PressKey('A', true);
      PressKey('C', true);
    });
    std::wistringstream lines(copied);
    for (std::wstring line; std::getline(lines, line);) {
      std::vector<std::wstring> cells;
      std::wistringstream fields(line);
      for (std::wstring cell; std::getline(fields, cell, L'\t');) cells.push_back(cell);
      if (cells.size() > 9 && cells[2].rfind(L"Corvalinde.Vivo", 0) == 0 && !cells[9].empty()) {
        status[cells[2]] = cells[9];
      }
    }
    return status.size() == std::size(classes);
  };
  WaitUntil(allChecked, 60s);
  ASSERT_TRUE(allChecked()) << status.size();
  for (std::size_t i = 0; i < std::size(classes); ++i) {
    EXPECT_EQ(status[progId(i)] == L"file mancante", i == gone)
        << testing::PrintToString(classes[i].value) << " "
        << testing::PrintToString(status[progId(i)]);
  }

  PressButton(browser, L"Rimuovi voci orfane...");
  std::wstring removed = ConfirmRemoval(1, L"CLSID\\" + clsid(gone));
  EXPECT_EQ(removed.rfind(L"Rimosse 1 classi (4 chiavi). Copia di sicurezza: ", 0), 0u)
      << testing::PrintToString(removed);
  EXPECT_EQ(Difference(Without(before, {L"CLSID\\" + clsid(gone), progId(gone)}),
                       Exported(kClasses.substr(0, kClasses.size() - 1))),
            "");
  PressButton(browser, L"Esci");
  for (std::size_t i = 0; i < std::size(classes); ++i) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid(i)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, progId(i).c_str());
  }
}

}  // namespace
}  // namespace corvalinde::e2e
