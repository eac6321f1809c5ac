// The two dialogs of the tray menu, driven as a user would: text typed into their boxes, their
// buttons pressed, files dropped from the shell, and what that leaves in the registry and in
// opz.dat.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "tray_app.h"

#include <commctrl.h>
#include "options/shell_verbs.h"
#include "platform/inmemory/memory_registry.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

class TrayDialogs : public TrayApp {
 protected:
  void SetUp() override {
    DeleteFileW(SettingsFile().c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"xyzfile");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"abcfile");
    TrayApp::SetUp();
  }
  void TearDown() override {
    DeleteFileW(SettingsFile().c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"xyzfile");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"abcfile");
  }

  // Presses a button that opens a message box; returns the box's text, and closes it.
  std::wstring PressForMessage(HWND window, const std::wstring& button, std::wstring* title) {
    PressButton(window, button);
    auto box = app_.WaitForMessageBox(20s);
    if (!box) return L"(no message)";
    if (title) *title = box->title;
    PressButton(box->window, L"OK");
    WaitGone(box->window);
    return box->text;
  }
  // Types `answer` into the input box that `Aggiungi` opens, and confirms it.
  bool AddExtension(HWND options, const std::wstring& answer) {
    PressButton(options, L"Aggiungi");
    HWND input = app_.WaitForWindow(L"CorvalindeInputBox", L"Nuova Estensione", 5s);
    if (!input) return false;
    SetText(FindChild(input, L"Edit"), answer);
    PressButton(input, L"OK");
    return WaitGone(input);
  }
  // Picks a radio button and waits until the window has it.
  void Choose(HWND window, const std::wstring& option) {
    PressButton(window, option);
    WaitUntil(
        [&] {
          HWND button = nullptr;
          for (HWND child = GetWindow(window, GW_CHILD); child && !button;
               child = GetWindow(child, GW_HWNDNEXT)) {
            std::wstring text = WindowText(child);
            text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
            if (text == option) button = child;
          }
          return button && SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
        },
        5s);
  }
};

TEST_F(TrayDialogs, RegistersATypedListAndSumsItUp) {
  HWND dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(WindowText(dialog), L"Registra / Unregistra");
  HWND text = FindChild(dialog, L"Edit");
  std::wstring good = TestModule(L"testmod_good");
  std::wstring none = TestModule(L"testmod_noexports");

  std::wstring title;
  EXPECT_EQ(PressForMessage(dialog, L"Avvia", &title), L"Nome file mancante");
  EXPECT_EQ(title, L"Errore");

  SetText(text, good + L"; " + none + L";");
  EXPECT_EQ(PressForMessage(dialog, L"Avvia", &title),
            L"Operazione conclusa con successo per " + good + L"\r\n" +
                L"Entrypoint del modulo mancante per " + none + L"\r\n");
  EXPECT_EQ(title, L"Info");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Corvalinde.TestModule"));

  // The dialog stays open with its list; unregistering takes the same list.
  Choose(dialog, L"Unregistra");
  EXPECT_EQ(PressForMessage(dialog, L"Avvia", nullptr).substr(0, 37),
            L"Operazione conclusa con successo per ");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Corvalinde.TestModule"));

  // A capture asks where to save with the system's dialog, and registers nothing.
  Choose(dialog, L"Cattura (.reg)");
  EXPECT_FALSE(IsWindowEnabled(FindChild(dialog, L"Button", 6)));  // "Solo per l'utente..."
  PressButton(dialog, L"Avvia");
  HWND save = app_.WaitForWindow(L"#32770", L"Salva la cattura", 10s);
  ASSERT_TRUE(save);
  const std::wstring regFile = ProgramFolder() + L"\\capture dialog.reg";
  SetText(FindChild(save, L"Edit"), regFile);
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitGone(save));
  auto summary = app_.WaitForMessageBox(30s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->text, L"Cattura di " + good + L" scritta in " + regFile +
                               L" (11 chiavi, 11 valori)\r\nEntrypoint del modulo mancante per " +
                               none + L"\r\n");
  PressButton(summary->window, L"OK");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Corvalinde.TestModule"));
  EXPECT_TRUE(DeleteFileW(regFile.c_str()));
}

TEST_F(TrayDialogs, DroppedFilesReplaceTheListEachFollowedBySemicolon) {
  HWND dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  HWND text = FindChild(dialog, L"Edit");
  SetText(text, L"vecchio.dll;");
  ASSERT_TRUE(DropFiles(app_, text, {L"C:\\moduli\\a.dll", L"C:\\moduli con spazi\\b.ocx"}));
  const std::wstring dropped = L"C:\\moduli\\a.dll;C:\\moduli con spazi\\b.ocx;";
  WaitUntil([&] { return WindowText(text) == dropped; }, 5s);
  EXPECT_EQ(WindowText(text), dropped);
  PressButton(dialog, L"Ritorna");
  EXPECT_TRUE(WaitGone(dialog));

  // Each opening starts afresh.
  dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(WindowText(FindChild(dialog, L"Edit")), L"");
}

TEST_F(TrayDialogs, OptionsAddRefuseConfirmAndExitSaves) {
  HWND options = Open(TrayCommand::Options, L"CorvalindeOptions");
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
  ASSERT_TRUE(WaitGone(refused->window));
  ASSERT_TRUE(WaitGone(input));

  ASSERT_TRUE(AddExtension(options, L"xyz"));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::wstring>{L"DLL", L"OCX", L"XYZ"}));
  PressButton(options, L"Conferma");
  WaitGone(options);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"xyzfile\\shell\\Registra\\command"));

  Exit();
  std::string saved = FileBytes(SettingsFile());
  ASSERT_EQ(saved.size(), 6u * 128);
  EXPECT_EQ(saved.substr(5 * 128, 3), "XYZ");
}

TEST_F(TrayDialogs, AnnullaChangesNothing) {
  HWND options = Open(TrayCommand::Options, L"CorvalindeOptions");
  ASSERT_TRUE(options);
  ASSERT_TRUE(AddExtension(options, L"abc"));
  PressButton(options, L"Annulla");
  WaitGone(options);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"abcfile"));
  Exit();
  EXPECT_EQ(FileBytes(SettingsFile()).size(), 640u);
}

// A box belongs to its window, and the tray menu never stacks a second modal window.
TEST_F(TrayDialogs, BoxesAreOwnedAndTheMenuBringsTheOpenDialogBack) {
  HWND dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  PressButton(dialog, L"Avvia");  // empty list: "Nome file mancante"
  auto box = app_.WaitForMessageBox(10s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(GetWindow(box->window, GW_OWNER), dialog);
  EXPECT_FALSE(IsWindowEnabled(dialog)) << "the dialog takes input under its box";

  // The command runs as the menu closes; once the program answers again it is done (or, were
  // it to open a second dialog, that dialog's loop is answering).
  ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, TrayCommand::RegUnreg));
  WaitUntil([&] { return !app_.FindWindowOfClass(L"#32768", true); }, 5s);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(GetParent(control_), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
  int dialogs = 0;
  for (HWND window = FindWindowExW(nullptr, nullptr, L"CorvalindeRegUnreg", nullptr); window;
       window = FindWindowExW(nullptr, window, L"CorvalindeRegUnreg", nullptr)) {
    dialogs += IsWindowVisible(window) ? 1 : 0;
  }
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(IsWindow(box->window));
  PressButton(box->window, L"OK");
  WaitGone(box->window);
  EXPECT_TRUE(IsWindowEnabled(dialog));
  PressButton(dialog, L"Ritorna");
  WaitGone(dialog);

  // A minimised browser comes back when it is asked for again.
  HWND browser = Open(TrayCommand::ModuleList, L"CorvalindeModuli");
  ASSERT_TRUE(browser);
  ShowWindow(browser, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(browser) != FALSE; }, 5s));
  ASSERT_TRUE(ChooseFromTrayMenu(app_, control_, TrayCommand::ModuleList));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(browser); }, 5s));
}

TEST_F(TrayDialogs, EnterAndEscapeDoWhatTheButtonsSay) {
  HWND dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  std::wstring none = TestModule(L"testmod_noexports");
  SetText(FindChild(dialog, L"Edit"), none + L";");
  PressKey(VK_RETURN);  // "Avvia"
  auto summary = app_.WaitForMessageBox(20s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->text, L"Entrypoint del modulo mancante per " + none + L"\r\n");
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitGone(summary->window));
  WaitForeground(dialog);
  PressKey(VK_ESCAPE);  // "Ritorna"
  EXPECT_TRUE(WaitGone(dialog));

  HWND options = Open(TrayCommand::Options, L"CorvalindeOptions");
  ASSERT_TRUE(options);
  PressKey(VK_ESCAPE);  // "Annulla"
  EXPECT_TRUE(WaitGone(options));

  HWND about = Open(TrayCommand::About, L"CorvalindeAbout");
  ASSERT_TRUE(about);
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitGone(about));

  HWND browser = Open(TrayCommand::ModuleList, L"CorvalindeModuli");
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
  EXPECT_TRUE(WaitGone(result->window));
  WaitForeground(browser);
  PressKey(VK_ESCAPE);  // "Esci"
  EXPECT_TRUE(WaitGone(browser));
}

// Forty files do not fit a box on this screen: the results window lists them.
TEST_F(TrayDialogs, ALongSummaryIsAListThatCopiesAsText) {
  HWND dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
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
  std::wstring copied = CopiedText([&] { PressButton(results, L"Copia"); });
  EXPECT_EQ(copied.rfind(L"File\tEsito\tDettaglio\r\n" + ProgramFolder() +
                             L"\\manca0.dll\tnon "
                             L"riuscita\tModulo :",
                         0),
            0u)
      << ::testing::PrintToString(copied.substr(0, 200));
  PressButton(results, L"Chiudi");
  EXPECT_TRUE(WaitGone(results));
  EXPECT_TRUE(IsWindowEnabled(dialog));
}

TEST_F(TrayDialogs, WhileAModuleRunsTheDialogRepaintsSaysSoAndTakesNoInput) {
  HWND dialog = Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg");
  ASSERT_TRUE(dialog);
  std::wstring hanging = TestModule(L"testmod_hanging");
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
  WaitGone(summary->window);
  // The click during the wait started nothing.
  EXPECT_FALSE(app_.WaitForWindow(L"CorvalindeBusy", L"", 2500ms));
  EXPECT_FALSE(app_.WaitForMessageBox(0ms).has_value());
}

}  // namespace
}  // namespace corvalinde::e2e
