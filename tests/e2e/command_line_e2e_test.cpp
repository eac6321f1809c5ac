// Corvalinde.exe started the way Explorer's verbs start it, watched through its message boxes.
#include <gtest/gtest.h>

#include <chrono>

#include "app_driver.h"
#include "message_checks.h"
#include "registry_export.h"
#include "platform/system_errors.h"
#include "platform/utf8.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;
using platform::Utf8;

constexpr wchar_t kTestClassKey[] =
    L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}\\InProcServer32";

std::wstring RegisteredServer() {
  wchar_t data[MAX_PATH] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CLASSES_ROOT, kTestClassKey, nullptr, RRF_RT_REG_SZ, nullptr, data,
                   &size) != ERROR_SUCCESS) {
    return L"";
  }
  return data;
}

std::wstring Reason(DWORD code, const std::wstring& about = {}) {
  return L"\r\n" + platform::SystemErrorText(code, about);
}

TEST(CommandLineRun, RegistersAndUnregistersAModuleForReal) {
  std::wstring good = TestModule(L"testmod_good");
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + good + L" /modal R /visible 0",
                            L"Modulo : " + good + L"\r\nRegistrato con successo",
                            SeenIcon::Information, L"Registrato", 0));
  EXPECT_EQ(RegisteredServer(), good);

  EXPECT_TRUE(ShowsThenEnds(L"/filename " + good + L" /modal U /visible 0",
                            L"Modulo : " + good + L"\r\nUnregistrato con successo",
                            SeenIcon::Information, L"Registrato", 0));
  EXPECT_EQ(RegisteredServer(), L"");
}

TEST(CommandLineRun, LowerCaseUUnregistersWithoutAWord) {
  std::wstring good = TestModule(L"testmod_good");
  ASSERT_TRUE(ShowsThenEnds(L"/filename " + good + L" /modal R",
                            L"Modulo : " + good + L"\r\nRegistrato con successo",
                            SeenIcon::Information, L"Registrato", 0));
  AppProcess app(ProgramPath(), L"/filename " + good + L" /modal u");
  EXPECT_EQ(app.WaitForExit(20s), std::optional<DWORD>(0));
  EXPECT_FALSE(app.WaitForMessageBox(0ms).has_value());
  EXPECT_EQ(RegisteredServer(), L"");
}

TEST(CommandLineRun, MissingSwitchesShowTheUsage) {
  const std::wstring usage =
      L"Parametri non validi.\r\n/filename nomefile\r\n/visible  0-1\r\n/modal   U-R";
  EXPECT_TRUE(ShowsThenEnds(L"/filename a.dll", usage, SeenIcon::Error, L"Errore", 1));
  EXPECT_TRUE(ShowsThenEnds(L"/modal R /visible 1", usage, SeenIcon::Error, L"Errore", 1));
  // A run that ends by itself never writes the settings.
  EXPECT_EQ(GetFileAttributesW((ProgramFolder() + L"\\opz.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CommandLineRun, EachFailureIsReportedWithItsExitCode) {
  std::wstring missing = ProgramFolder() + L"\\non esiste.dll";
  std::wstring text = TestModule(L"testmod_text");
  std::wstring failing = TestModule(L"testmod_failing");
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + TestModule(L"testmod_good") + L" /modal r",
                            L"Entrypoint del modulo mancante", SeenIcon::Error, L"Errore", 4));
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + TestModule(L"testmod_noexports") + L" /modal U",
                            L"Entrypoint del modulo mancante", SeenIcon::Error, L"Errore", 4));
  // The system's own words for the failure follow on a line of their own.
  EXPECT_TRUE(ShowsThenEnds(
      L"/filename " + missing + L" /modal R",
      L"Modulo :" + missing + L"\r\nè mancante o non valido" + Reason(ERROR_MOD_NOT_FOUND),
      SeenIcon::Error, L"Errore", 3));
  EXPECT_TRUE(ShowsThenEnds(
      L"/filename " + text + L" /modal R",
      L"Modulo :" + text + L"\r\nè mancante o non valido" + Reason(ERROR_BAD_EXE_FORMAT, text),
      SeenIcon::Error, L"Errore", 3));
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + failing + L" /modal R /visible 0",
                            L"Modulo : " + failing +
                                L"\r\nOperazione non riuscita (codice 0x80070005)" +
                                Reason(0x80070005),
                            SeenIcon::Error, L"Errore", 5));
}

// The limit given with /timeout (the dialog's 10 s are the same code with another number).
TEST(CommandLineRun, AHangingModuleTimesOutAtTheLimitGiven) {
  auto started = std::chrono::steady_clock::now();
  AppProcess app(ProgramPath(),
                 L"/filename " + TestModule(L"testmod_hanging") + L" /modal R /timeout 2");
  auto box = app.WaitForMessageBox(30s);
  auto waited = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Errore di timeout del modulo");
  EXPECT_EQ(box->title, L"Errore");
  EXPECT_EQ(box->icon, SeenIcon::Error);
  EXPECT_GE(waited, 1900ms);
  EXPECT_LT(waited, 10s);
  PressButton(box->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(6));
}

TEST(CommandLineRun, VisibleOneKeepsTheProgramRunningAfterTheMessage) {
  std::wstring good = TestModule(L"testmod_good");
  AppProcess app(ProgramPath(), L"/filename " + good + L" /modal R /visible 1");
  auto box = app.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + good + L"\r\nRegistrato con successo");
  PressButton(box->window, L"OK");
  EXPECT_TRUE(WaitForTrayControl(app));
  EXPECT_TRUE(app.IsRunning());
  ShowsThenEnds(L"/filename " + good + L" /modal U",
                L"Modulo : " + good + L"\r\nUnregistrato con successo", SeenIcon::Information,
                L"Registrato", 0);
}

// "/s" from a script: the message's words on the standard output, the documented exit code, and
// nothing on the screen, not even the window that says a module takes long.
TEST(CommandLineRun, SilentlyTheWordsGoToTheOutputAndNoWindowAppears) {
  const std::wstring good = TestModule(L"testmod_good"), failing = TestModule(L"testmod_failing");
  const std::wstring missing = ProgramFolder() + L"\\non esiste.dll";
  const struct {
    std::wstring arguments, output;
    DWORD exitCode;
  } cases[] = {
      {L"/s /filename " + good + L" /modal R", L"Modulo : " + good + L"\r\nRegistrato con successo",
       0},
      {L"/filename " + good + L" /modal U /S",
       L"Modulo : " + good + L"\r\nUnregistrato con successo", 0},
      {L"/filename " + missing + L" /modal R /s",
       L"Modulo :" + missing + L"\r\nè mancante o non valido" + Reason(ERROR_MOD_NOT_FOUND), 3},
      {L"/filename " + TestModule(L"testmod_noexports") + L" /modal R /s",
       L"Entrypoint del modulo mancante", 4},
      {L"/filename " + failing + L" /modal R /s",
       L"Modulo : " + failing + L"\r\nOperazione non riuscita (codice 0x80070005)" +
           Reason(0x80070005),
       5},
      {L"/filename " + TestModule(L"testmod_hanging") + L" /modal R /timeout 2 /s",
       L"Errore di timeout del modulo", 6},
      {L"/s /modal R",
       L"Parametri non validi.\r\n/filename nomefile\r\n/visible  0-1\r\n/modal   U-R", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    WatchedRun run = RunWatched(L"\"" + ProgramPath() + L"\" " + c.arguments, 30s);
    EXPECT_EQ(run.output, Utf8(c.output + L"\r\n"));
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(c.exitCode));
    EXPECT_FALSE(run.showedAWindow);
  }
  WatchedRun check = RunWatched(L"\"" + ProgramPath() + L"\" /check /s /filename " + good, 30s);
  EXPECT_EQ(check.output.rfind("Modulo : " + Utf8(good) + "\r\n", 0), 0u) << check.output;
  EXPECT_NE(check.output.find("Dipendenze: tutte presenti\r\n"), std::string::npos);
  EXPECT_EQ(check.exitCode, std::optional<DWORD>(0));
  EXPECT_FALSE(check.showedAWindow);
}

// regsvr32's own command line, beside Wine's regsvr32 on the same modules: the exit code each
// case is expected to give, and both give it.
TEST(CommandLineRun, Regsvr32sCommandLineEndsAsRegsvr32Does) {
  auto quoted = [](const wchar_t* name) { return L"\"" + TestModule(name) + L"\""; };
  const std::wstring good = quoted(L"testmod_good"), failing = quoted(L"testmod_failing"),
                     none = quoted(L"testmod_noexports"), install = quoted(L"testmod_install");
  const struct {
    std::wstring arguments;
    DWORD exitCode;
  } cases[] = {
      {good, 0},
      {L"/u " + good, 0},
      {none, 4},
      {failing, 5},
      {quoted(L"testmod_text"), 3},
      {quoted(L"non esiste"), 3},
      {failing + L" " + none + L" " + good, 4},  // the last failure's
      {L"-U " + good + L" " + failing, 5},
      {L"/x " + good, 1},
      // DllInstall: the calls made, in their order, are compared too.
      {L"/i:ciao " + install, 0},
      {L"/u /i:ciao " + install, 0},
      {L"/n /i " + install, 0},
      {L"/i:fallisci " + install, 5},
      {L"/u /i:fallisci " + install, 5},
      {L"/i " + good, 4},
      {L"/n " + install, 1},
  };
  const std::wstring marker = ProgramFolder() + L"\\regsvr32 marker.txt";
  SetEnvironmentVariableW(L"CORVALINDE_TEST_MARKER", marker.c_str());
  auto run = [&](const std::wstring& program, const std::wstring& arguments) {
    DeleteFileW(marker.c_str());
    WatchedRun ended = RunWatched(program + L" /s " + arguments, 30s);
    ended.output = FileBytes(marker);  // the calls, in place of the words
    return ended;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    WatchedRun ours = run(L"\"" + ProgramPath() + L"\"", c.arguments);
    WatchedRun peer = run(L"regsvr32.exe", c.arguments);
    EXPECT_EQ(ours.exitCode, std::optional<DWORD>(c.exitCode));
    EXPECT_EQ(peer.exitCode, std::optional<DWORD>(c.exitCode));
    EXPECT_EQ(ours.output, peer.output);
  }
  SetEnvironmentVariableW(L"CORVALINDE_TEST_MARKER", nullptr);
  DeleteFileW(marker.c_str());
  RunWatched(L"regsvr32.exe /s /u " + good, 30s);
  EXPECT_EQ(RegisteredServer(), L"");
}

}  // namespace
}  // namespace corvalinde::e2e
