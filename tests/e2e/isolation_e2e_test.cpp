// Modules that crash, end the process, hang, talk without end, forge a report or start other
// programs, from the command line and from the tray's dialog: the program reports each like any
// other outcome, never goes down with them, and leaves no process of theirs behind.
#include <gtest/gtest.h>

#include "tray_app.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

struct Hostile {
  const wchar_t* module;
  std::wstring outcome;  // the message's second line
  DWORD exitCode;
  milliseconds atMost;
};

std::wstring Crashed(const wchar_t* code) {
  return std::wstring(L"Il modulo si è interrotto durante l'operazione (eccezione 0x") + code +
         L")";
}

const Hostile kHostile[] = {
    {L"testmod_null_write", Crashed(L"C0000005"), 8, 8s},
    {L"testmod_raise", Crashed(L"E0001234"), 8, 8s},
    {L"testmod_stack_overflow", Crashed(L"C00000FD"), 8, 8s},
    // GCC's unwinder raises its own exception ("GCC "), MSVC's 0xE06D7363; none catches it.
    {L"testmod_throw", Crashed(L"20474343"), 8, 8s},
    {L"testmod_exit_process", Crashed(L"00000007"), 8, 8s},
    // Windows and Wine catch an exception in DllMain inside LoadLibrary, which then fails.
    {L"testmod_dllmain_crash", L"è mancante o non valido", 3, 8s},
    // Stopped once loading has taken the limit (kLimit) and the host's start margin.
    {L"testmod_dllmain_sleep", L"Errore di timeout del modulo", 6, 10s},
    {L"testmod_hanging", L"Errore di timeout del modulo", 6, 10s},
    // Chatter on every pipe the host holds, and its standard output, is nobody's business.
    {L"testmod_do_write8k", L"Registrato con successo", 0, 8s},
    {L"testmod_do_write1m", L"Registrato con successo", 0, 8s},
    {L"testmod_do_writeforever", L"Errore di timeout del modulo", 6, 10s},
    {L"testmod_do_forge", Crashed(L"00000000"), 8, 8s},
    // What the module starts ends with the run, whichever way it ends.
    {L"testmod_do_spawn", L"Registrato con successo", 0, 8s},
    {L"testmod_do_spawnhang", L"Errore di timeout del modulo", 6, 10s},
};

// The time limit of the command-line runs here: long enough for every module that ends, short
// enough not to wait 10 s for each that does not.
constexpr wchar_t kLimit[] = L" /timeout 3";

class IsolationInTheTray : public TrayApp {
 protected:
  HWND OpenRegUnregDialog() { return Open(TrayCommand::RegUnreg, L"CorvalindeRegUnreg"); }
};

TEST(Isolation, FromTheCommandLineEachEndsWithItsMessageAndCode) {
  for (const Hostile& hostile : kHostile) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(hostile.module)));
    std::wstring module = TestModule(hostile.module);
    auto started = std::chrono::steady_clock::now();
    AppProcess app(ProgramPath(), L"/filename " + module + L" /modal R" + kLimit);
    // A wait of seconds says so after one, as a click on "Registra" in Explorer needs.
    if (hostile.exitCode == 6) {
      EXPECT_TRUE(app.WaitForWindow(L"CorvalindeBusy", L"", 5s));
    }
    auto box = app.WaitForMessageBox(30s);
    auto took = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(box.has_value());
    // The time-out's message names no file; the others do.
    EXPECT_NE(box->text.find(hostile.outcome), std::wstring::npos)
        << testing::PrintToString(box->text);
    if (hostile.exitCode != 6) {
      EXPECT_NE(box->text.find(module), std::wstring::npos);
    }
    EXPECT_EQ(box->title, hostile.exitCode ? L"Errore" : L"Registrato");
    EXPECT_LT(took, hostile.atMost);
    PressButton(box->window, L"OK");
    EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(hostile.exitCode));
    EXPECT_TRUE(NoneLeftWithin(L"rundll32.exe", 2s));
  }
}

// A host command typed by hand has no channel of a parent behind it: the usage, and nothing
// run, written or created.
TEST(Isolation, AHostCommandTypedByHandIsRefused) {
  const std::wstring result = ProgramFolder() + L"\\risultato.txt";
  const std::wstring module = TestModule(L"testmod_good");
  const std::wstring token = L" /token 0123456789abcdef0123456789abcdef";
  for (const std::wstring& arguments :
       {L"/host R /filename " + module, L"/host R /result " + result + L" /filename " + module,
        L"/host R" + token + L" /filename " + module,
        L"/host R" + token + L" /capture Software\\CorvalindeTyped /filename " + module}) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    AppProcess app(ProgramPath(), arguments);
    auto box = app.WaitForMessageBox(20s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text.rfind(L"Parametri non validi.", 0), 0u);
    PressButton(box->window, L"OK");
    EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(1));
  }
  EXPECT_EQ(GetFileAttributesW(result.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT,
                         L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}\\InprocServer32"),
            L"");
  HKEY typed = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\CorvalindeTyped", 0, KEY_READ, &typed),
            ERROR_SUCCESS);
}

// The tray ended (killed) while a module hangs: its host, and the module with it, go too.
TEST_F(IsolationInTheTray, TheHostEndsWithTheTray) {
  AppProcess& app = app_;
  HWND dialog = OpenRegUnregDialog();
  ASSERT_TRUE(dialog);
  SetText(FindChild(dialog, L"Edit"), TestModule(L"testmod_do_spawnhang"));
  PressButton(dialog, L"Avvia");
  ASSERT_TRUE(app.WaitForWindow(L"CorvalindeBusy", L"", 10s));
  ASSERT_EQ(ProcessesNamed(L"Corvalinde.exe", app.Id()).size(), 1u);
  TerminateProcess(app.Handle(), 9);
  ASSERT_TRUE(app.WaitForExit(5s).has_value());
  EXPECT_TRUE(NoneLeftWithin(L"Corvalinde.exe", 2s, app.Id()));
  EXPECT_TRUE(NoneLeftWithin(L"rundll32.exe", 2s));
}

TEST_F(IsolationInTheTray, TheTrayOutlivesThemAllAndStillSavesOnExit) {
  std::wstring settings = ProgramFolder() + L"\\opz.dat";
  DeleteFileW(settings.c_str());
  AppProcess& app = app_;
  HWND dialog = OpenRegUnregDialog();
  ASSERT_TRUE(dialog);
  // Every module but two that hang like others here: through the dialog each takes its 10 s,
  // and how they are stopped is the command line's test.
  std::wstring list;
  for (const Hostile& hostile : kHostile) {
    std::wstring_view name = hostile.module;
    if (name == L"testmod_dllmain_sleep" || name == L"testmod_do_spawnhang") continue;
    list += TestModule(hostile.module) + L";";
  }
  SetText(FindChild(dialog, L"Edit"), list);
  PressButton(dialog, L"Avvia");
  auto summary = app.WaitForMessageBox(120s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->title, L"Info");
  for (const wchar_t* crashed :
       {L"testmod_null_write", L"testmod_throw", L"testmod_exit_process", L"testmod_do_forge"}) {
    EXPECT_NE(summary->text.find(L"Operazione non riuscita per " + TestModule(crashed) +
                                 L" (eccezione 0x"),
              std::wstring::npos)
        << testing::PrintToString(summary->text);
  }
  for (const wchar_t* hanging : {L"testmod_hanging", L"testmod_do_writeforever"}) {
    EXPECT_NE(summary->text.find(L"Errore di timeout del modulo per " + TestModule(hanging)),
              std::wstring::npos);
  }
  PressButton(summary->window, L"OK");
  PressButton(dialog, L"Ritorna");
  WaitGone(dialog);

  EXPECT_TRUE(app.IsRunning());
  Exit();
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(settings.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 640u);
  DeleteFileW(settings.c_str());
}

}  // namespace
}  // namespace corvalinde::e2e
