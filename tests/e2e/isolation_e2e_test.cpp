// Modules that crash, end the process or hang, from the command line and from the tray's
// dialog: the program reports each like any other failure and never goes down with them.
#include <gtest/gtest.h>

#include "app_driver.h"

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
    // Stopped once loading has taken the 10 s and the host's start margin.
    {L"testmod_dllmain_sleep", L"Errore di timeout del modulo", 6, 17s},
    {L"testmod_hanging", L"Errore di timeout del modulo", 6, 15s},
};

std::wstring ModulePath(const wchar_t* name) {
  return ProgramFolder() + L"\\" + name + L".dll";
}

TEST(Isolation, FromTheCommandLineEachEndsWithItsMessageAndCode) {
  for (const Hostile& hostile : kHostile) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(hostile.module)));
    std::wstring module = ModulePath(hostile.module);
    auto started = std::chrono::steady_clock::now();
    AppProcess app(ProgramFolder() + L"\\Corvalinde.exe", L"/filename " + module + L" /modal R");
    // A wait of seconds says so after one, as a click on "Registra" in Explorer needs.
    if (hostile.atMost > 10s) {
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
    EXPECT_EQ(box->title, L"Errore");
    EXPECT_LT(took, hostile.atMost);
    PressButton(box->window, L"OK");
    EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(hostile.exitCode));
  }
}

TEST(Isolation, TheTrayOutlivesThemAllAndStillSavesOnExit) {
  std::wstring settings = ProgramFolder() + L"\\opz.dat";
  DeleteFileW(settings.c_str());
  AppProcess app(ProgramFolder() + L"\\Corvalinde.exe", L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control);
  ASSERT_TRUE(ChooseFromTrayMenu(app, control, 1));
  HWND dialog = app.WaitForWindow(L"CorvalindeRegUnreg", L"", 5s);
  ASSERT_TRUE(dialog);
  std::wstring list;
  for (const Hostile& hostile : kHostile) list += ModulePath(hostile.module) + L";";
  SetText(FindChild(dialog, L"Edit"), list);
  PressButton(dialog, L"Avvia");
  auto summary = app.WaitForMessageBox(120s);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->title, L"Info");
  for (const wchar_t* crashed :
       {L"testmod_null_write", L"testmod_throw", L"testmod_exit_process"}) {
    EXPECT_NE(summary->text.find(L"Operazione non riuscita per " + ModulePath(crashed) +
                                 L" (eccezione 0x"),
              std::wstring::npos)
        << testing::PrintToString(summary->text);
  }
  EXPECT_NE(
      summary->text.find(L"Errore di timeout del modulo per " + ModulePath(L"testmod_hanging")),
      std::wstring::npos);
  PressButton(summary->window, L"OK");
  PressButton(dialog, L"Ritorna");
  for (int tries = 0; tries < 50 && IsWindow(dialog); ++tries) Sleep(100);

  EXPECT_TRUE(app.IsRunning());
  ASSERT_TRUE(ChooseFromTrayMenu(app, control, 5));  // "Esci"
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(settings.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 640u);
  DeleteFileW(settings.c_str());
}

}  // namespace
}  // namespace corvalinde::e2e
