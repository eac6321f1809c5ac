// The two dialogs of the tray menu, driven as a user would: text typed into their boxes, their
// buttons pressed, files dropped from the shell, and what that leaves in the registry and in
// opz.dat.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app_driver.h"

#include <commctrl.h>
#include "options/shell_verbs.h"
#include "platform/inmemory/memory_registry.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kMenuRegUnreg = 1;
constexpr int kMenuOptions = 3;
constexpr int kMenuExit = 5;

std::wstring SettingsFile() {
  return ProgramFolder() + L"\\opz.dat";
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool ClassKeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool Closes(HWND window) {
  for (int tries = 0; tries < 50 && IsWindow(window); ++tries) Sleep(100);
  return !IsWindow(window);
}

class TrayDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(SettingsFile().c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"xyzfile");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"abcfile");
    control_ = WaitForTrayControl(app_);
    ASSERT_TRUE(control_);
  }
  void TearDown() override {
    DeleteFileW(SettingsFile().c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"xyzfile");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"abcfile");
  }

  HWND Open(int menuPosition, const wchar_t* windowClass) {
    if (!ChooseFromTrayMenu(app_, control_, menuPosition)) return nullptr;
    return app_.WaitForWindow(windowClass, L"", 60s);  // the browser first reads the registry
  }
  // Presses a button that opens a message box; returns the box's text, and closes it.
  std::wstring PressForMessage(HWND window, const std::wstring& button, std::wstring* title) {
    PressButton(window, button);
    auto box = app_.WaitForMessageBox(20s);
    if (!box) return L"(no message)";
    if (title) *title = box->title;
    PressButton(box->window, L"OK");
    for (int tries = 0; tries < 50 && IsWindow(box->window); ++tries) Sleep(100);
    return box->text;
  }
  // Types `answer` into the input box that `Aggiungi` opens, and confirms it.
  bool AddExtension(HWND options, const std::wstring& answer) {
    PressButton(options, L"Aggiungi");
    HWND input = app_.WaitForWindow(L"CorvalindeInputBox", L"Nuova Estensione", 5s);
    if (!input) return false;
    SetText(FindChild(input, L"Edit"), answer);
    PressButton(input, L"OK");
    for (int tries = 0; tries < 50 && IsWindow(input); ++tries) Sleep(100);
    return true;
  }
  void Exit() {
    ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, kMenuExit));
    EXPECT_EQ(app_.WaitForExit(10s), std::optional<DWORD>(0));
  }

  AppProcess app_{ProgramFolder() + L"\\Corvalinde.exe", L""};
  HWND control_ = nullptr;
};

TEST_F(TrayDialogs, RegistersATypedListAndSumsItUp) {
  HWND dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(WindowText(dialog), L"Registra / Unregistra");
  HWND text = FindChild(dialog, L"Edit");
  std::wstring good = ProgramFolder() + L"\\testmod_good.dll";
  std::wstring none = ProgramFolder() + L"\\testmod_noexports.dll";

  std::wstring title;
  EXPECT_EQ(PressForMessage(dialog, L"Avvia", &title), L"Nome file mancante");
  EXPECT_EQ(title, L"Errore");

  SetText(text, good + L"; " + none + L";");
  EXPECT_EQ(PressForMessage(dialog, L"Avvia", &title),
            L"Operazione conclusa con successo per " + good + L"\r\n" +
                L"Entrypoint del modulo mancante per " + none + L"\r\n");
  EXPECT_EQ(title, L"Info");
  EXPECT_TRUE(ClassKeyExists(L"Corvalinde.TestModule"));

  // The dialog stays open with its list; unregistering takes the same list.
  PressButton(dialog, L"Unregistra");
  Sleep(300);
  EXPECT_EQ(PressForMessage(dialog, L"Avvia", nullptr).substr(0, 37),
            L"Operazione conclusa con successo per ");
  EXPECT_FALSE(ClassKeyExists(L"Corvalinde.TestModule"));

  // A capture asks where to save with the system's dialog, and registers nothing.
  PressButton(dialog, L"Cattura (.reg)");
  Sleep(300);
  EXPECT_FALSE(IsWindowEnabled(FindChild(dialog, L"Button", 5)));  // "Solo per l'utente..."
  PressButton(dialog, L"Avvia");
  HWND save = app_.WaitForWindow(L"#32770", L"Salva la cattura", 10s);
  ASSERT_TRUE(save);
  const std::wstring regFile = ProgramFolder() + L"\\capture dialog.reg";
  SetText(FindChild(save, L"Edit"), regFile);
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Closes(save));
  auto summary = app_.WaitForMessageBox(30s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->text, L"Cattura di " + good + L" scritta in " + regFile +
                               L" (8 chiavi, 8 valori)\r\nEntrypoint del modulo mancante per " +
                               none + L"\r\n");
  PressButton(summary->window, L"OK");
  EXPECT_FALSE(ClassKeyExists(L"Corvalinde.TestModule"));
  EXPECT_TRUE(DeleteFileW(regFile.c_str()));
}

TEST_F(TrayDialogs, DroppedFilesReplaceTheListEachFollowedBySemicolon) {
  HWND dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  HWND text = FindChild(dialog, L"Edit");
  SetText(text, L"vecchio.dll;");
  ASSERT_TRUE(DropFiles(app_, text, {L"C:\\moduli\\a.dll", L"C:\\moduli con spazi\\b.ocx"}));
  Sleep(500);
  EXPECT_EQ(WindowText(text), L"C:\\moduli\\a.dll;C:\\moduli con spazi\\b.ocx;");
  PressButton(dialog, L"Ritorna");
  for (int tries = 0; tries < 50 && IsWindow(dialog); ++tries) Sleep(100);
  EXPECT_FALSE(IsWindow(dialog));

  // Each opening starts afresh.
  dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(WindowText(FindChild(dialog, L"Edit")), L"");
}

TEST_F(TrayDialogs, OptionsAddRefuseConfirmAndExitSaves) {
  HWND options = Open(kMenuOptions, L"CorvalindeOptions");
  ASSERT_TRUE(options);
  EXPECT_EQ(WindowText(options), L"Opzioni");
  HWND list = FindChild(options, L"ListBox");
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::wstring>{L"DLL", L"OCX"}));

  PressButton(options, L"Aggiungi");
  HWND input = app_.WaitForWindow(L"CorvalindeInputBox", L"Nuova Estensione", 5s);
  ASSERT_TRUE(input);
  SetText(FindChild(input, L"Edit"), L"dll");
  PressButton(input, L"OK");
  auto refused = app_.WaitForMessageBox(5s);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->text, L"Estensione già inserita");
  EXPECT_EQ(refused->title, L"Errore");
  PressButton(refused->window, L"OK");
  Sleep(300);

  ASSERT_TRUE(AddExtension(options, L"xyz"));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::wstring>{L"DLL", L"OCX", L"XYZ"}));
  PressButton(options, L"Conferma");
  for (int tries = 0; tries < 50 && IsWindow(options); ++tries) Sleep(100);
  EXPECT_TRUE(ClassKeyExists(L"xyzfile\\shell\\Registra\\command"));

  Exit();
  std::string saved = ReadFile(SettingsFile());
  ASSERT_EQ(saved.size(), 6u * 128);
  EXPECT_EQ(saved.substr(5 * 128, 3), "XYZ");
}

TEST_F(TrayDialogs, AnnullaChangesNothing) {
  HWND options = Open(kMenuOptions, L"CorvalindeOptions");
  ASSERT_TRUE(options);
  ASSERT_TRUE(AddExtension(options, L"abc"));
  PressButton(options, L"Annulla");
  for (int tries = 0; tries < 50 && IsWindow(options); ++tries) Sleep(100);
  EXPECT_FALSE(ClassKeyExists(L"abcfile"));
  Exit();
  EXPECT_EQ(ReadFile(SettingsFile()).size(), 640u);
}

// A box belongs to its window, and the tray menu never stacks a second modal window.
TEST_F(TrayDialogs, BoxesAreOwnedAndTheMenuBringsTheOpenDialogBack) {
  HWND dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  PressButton(dialog, L"Avvia");  // empty list: "Nome file mancante"
  auto box = app_.WaitForMessageBox(10s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(GetWindow(box->window, GW_OWNER), dialog);
  EXPECT_FALSE(IsWindowEnabled(dialog)) << "the dialog takes input under its box";

  ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, kMenuRegUnreg));
  Sleep(1000);
  int dialogs = 0;
  for (HWND window = FindWindowExW(nullptr, nullptr, L"CorvalindeRegUnreg", nullptr); window;
       window = FindWindowExW(nullptr, window, L"CorvalindeRegUnreg", nullptr)) {
    dialogs += IsWindowVisible(window) ? 1 : 0;
  }
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(IsWindow(box->window));
  PressButton(box->window, L"OK");
  for (int tries = 0; tries < 50 && IsWindow(box->window); ++tries) Sleep(100);
  EXPECT_TRUE(IsWindowEnabled(dialog));
  PressButton(dialog, L"Ritorna");
  for (int tries = 0; tries < 50 && IsWindow(dialog); ++tries) Sleep(100);

  // A minimised browser comes back when it is asked for again.
  HWND browser = Open(2, L"CorvalindeModuli");
  ASSERT_TRUE(browser);
  ShowWindow(browser, SW_MINIMIZE);
  for (int tries = 0; tries < 50 && !IsIconic(browser); ++tries) Sleep(100);
  ASSERT_TRUE(IsIconic(browser));
  ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, 2));
  for (int tries = 0; tries < 50 && IsIconic(browser); ++tries) Sleep(100);
  EXPECT_FALSE(IsIconic(browser));
}

TEST_F(TrayDialogs, EnterAndEscapeDoWhatTheButtonsSay) {
  HWND dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  std::wstring none = ProgramFolder() + L"\\testmod_noexports.dll";
  SetText(FindChild(dialog, L"Edit"), none + L";");
  PressKey(VK_RETURN);  // "Avvia"
  auto summary = app_.WaitForMessageBox(20s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->text, L"Entrypoint del modulo mancante per " + none + L"\r\n");
  PressKey(VK_RETURN);
  EXPECT_TRUE(Closes(summary->window));
  PressKey(VK_ESCAPE);  // "Ritorna"
  EXPECT_TRUE(Closes(dialog));

  HWND options = Open(kMenuOptions, L"CorvalindeOptions");
  ASSERT_TRUE(options);
  PressKey(VK_ESCAPE);  // "Annulla"
  EXPECT_TRUE(Closes(options));

  ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, 4));  // "About"
  HWND about = app_.WaitForWindow(L"CorvalindeAbout", L"", 5s);
  ASSERT_TRUE(about);
  PressKey(VK_RETURN);
  EXPECT_TRUE(Closes(about));

  HWND browser = Open(2, L"CorvalindeModuli");
  ASSERT_TRUE(browser);
  HWND search = FindChild(browser, L"Edit", 1);  // the first is the filter
  bool focused = ClickForFocus(search);
  POINT pointer{};
  GetCursorPos(&pointer);
  ASSERT_TRUE(focused) << "the click at the search box did not give it the caret;"
                       << " the pointer is at " << pointer.x << "," << pointer.y
                       << ", the foreground window is "
                       << testing::PrintToString(WindowText(GetForegroundWindow()));
  SetText(search, L"nessun eseguibile ha questo nome");
  PressKey(VK_RETURN);  // "Ricerca"
  auto result = app_.WaitForMessageBox(20s);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->text, L"Nessuna occorrenza trovata");
  PressKey(VK_RETURN);
  EXPECT_TRUE(Closes(result->window));
  PressKey(VK_ESCAPE);  // "Esci"
  EXPECT_TRUE(Closes(browser));
}

// Forty files do not fit a box on this screen: the results window lists them.
TEST_F(TrayDialogs, ALongSummaryIsAListThatCopiesAsText) {
  HWND dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  std::wstring list;
  for (int i = 0; i < 40; ++i) list += ProgramFolder() + L"\\manca" + std::to_wstring(i) + L".dll;";
  SetText(FindChild(dialog, L"Edit"), list);
  PressButton(dialog, L"Avvia");
  HWND results = app_.WaitForWindow(L"CorvalindeResults", L"Risultati", 60s);
  ASSERT_TRUE(results);
  EXPECT_FALSE(app_.WaitForMessageBox(0ms).has_value());
  HWND rows = FindChild(results, L"SysListView32");
  EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 40);
  EXPECT_EQ(WindowText(FindChild(results, L"Static")), L"0 riuscite, 40 non riuscite");
  PressButton(results, L"Copia");
  Sleep(500);
  std::wstring copied = ClipboardText();
  EXPECT_EQ(copied.rfind(L"File\tEsito\tDettaglio\r\n" + ProgramFolder() +
                             L"\\manca0.dll\tnon "
                             L"riuscita\tModulo :",
                         0),
            0u)
      << ::testing::PrintToString(copied.substr(0, 200));
  PressButton(results, L"Chiudi");
  EXPECT_TRUE(Closes(results));
  EXPECT_TRUE(IsWindowEnabled(dialog));
}

TEST_F(TrayDialogs, WhileAModuleRunsTheDialogRepaintsSaysSoAndTakesNoInput) {
  HWND dialog = Open(kMenuRegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  std::wstring hanging = ProgramFolder() + L"\\testmod_hanging.dll";
  SetText(FindChild(dialog, L"Edit"), hanging + L";");
  PressButton(dialog, L"Avvia");
  HWND busy = app_.WaitForWindow(L"CorvalindeBusy", L"", 5s);
  ASSERT_TRUE(busy) << "no progress window after a second";
  EXPECT_EQ(WindowText(FindChild(busy, L"Static")), L"Registrazione in corso: " + hanging);
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer))
      << "the dialog does not answer while it waits";
  EXPECT_FALSE(IsWindowEnabled(dialog));
  HWND start = nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == L"&Avvia") start = child;
  }
  ASSERT_TRUE(start);
  ClickOn(start);
  auto summary = app_.WaitForMessageBox(30s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->text, L"Errore di timeout del modulo per " + hanging + L"\r\n");
  EXPECT_FALSE(IsWindow(busy));
  PressButton(summary->window, L"OK");
  for (int tries = 0; tries < 50 && IsWindow(summary->window); ++tries) Sleep(100);
  // The click during the wait started nothing.
  EXPECT_FALSE(app_.WaitForWindow(L"CorvalindeBusy", L"", 2500ms));
  EXPECT_FALSE(app_.WaitForMessageBox(0ms).has_value());
}

}  // namespace
}  // namespace corvalinde::e2e
