// A module the 64-bit program cannot load: an i686 build of the test server, and one whose
// dependency is missing. The program says why; a program under the twin's name that is not
// the 32-bit build is refused.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "message_checks.h"
#include "platform/system_errors.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring Twin() {
  return ProgramFolder() + L"\\Corvalinde32.exe";
}
std::wstring Module32() {
  return TestModule(L"testmod_arch_i686");
}

class OtherArchitecture : public ::testing::Test {
 protected:
  // Also before: a run stopped half-way leaves the copy behind.
  void SetUp() override { DeleteFileW(Twin().c_str()); }
  void TearDown() override { DeleteFileW(Twin().c_str()); }
};

TEST_F(OtherArchitecture, WithoutTheTwinTheMessageNamesTheBuildToUse) {
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + Module32() + L" /modal R /visible 0",
                            L"Modulo : " + Module32() +
                                L"\r\nIl modulo è a 32 bit: questa versione di Corvalinde, a 64 "
                                L"bit, non può caricarlo.\r\nUsare Corvalinde32.exe, nella stessa "
                                L"cartella di Corvalinde.exe.",
                            SeenIcon::Error, L"Errore", 3));
}

// A 64-bit system without its 32-bit part (Windows Server Core may lack it, as Wine without
// wine32 does) starts no 32-bit program: the twin is named, not the module.
TEST_F(OtherArchitecture, ATwinTheSystemWillNotStartIsNamed) {
  if (ThirtyTwoBitProgramsRun()) GTEST_SKIP() << "this Wine runs 32-bit programs";
  ASSERT_TRUE(CopyFileW((Folder32() + L"\\testsrv.exe").c_str(), Twin().c_str(), FALSE));
  AppProcess app(ProgramPath(), L"/filename " + Module32() + L" /modal R");
  auto box = app.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text.rfind(
                L"Modulo : " + Module32() + L"\r\n" + Twin() + L" non può essere avviato.\r\n", 0),
            0u)
      << testing::PrintToString(box->text);
  PressButton(box->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), 3u);
}

// A copy of the 64-bit program under the 32-bit one's name would host the module itself,
// refuse it, hand it on again, and so on without end.
TEST_F(OtherArchitecture, AMisnamedTwinIsRefusedByName) {
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), Twin().c_str(), FALSE));
  EXPECT_TRUE(
      ShowsThenEnds(L"/filename " + Module32() + L" /modal R",
                    L"Modulo : " + Module32() + L"\r\n" + Twin() +
                        L" non è la versione a 32 bit di Corvalinde: non può caricare il modulo.",
                    SeenIcon::Error, L"Errore", 3));
}

TEST_F(OtherArchitecture, AMissingDependencyIsNamedByTheSystem) {
  std::wstring module = TestModule(L"testmod_needs_absent");
  std::wstring reason = platform::SystemErrorText(ERROR_MOD_NOT_FOUND);
  ASSERT_FALSE(reason.empty());
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + module + L" /modal R",
                            L"Modulo :" + module + L"\r\nè mancante o non valido\r\n" + reason +
                                L"\r\nManca una DLL richiesta:\r\n  corvalinde_absent.dll "
                                L"(richiesta da testmod_needs_absent.dll)",
                            SeenIcon::Error, L"Errore", 3));
}

// A vendor's module with the DLL it needs beside it, as regsvr32 registers it: the module's
// folder is searched first, neither the program's nor the current folder has the DLL, and the
// check agrees with the load.
TEST_F(OtherArchitecture, ADependencyBesideTheModuleIsFound) {
  const std::wstring vendor = ProgramFolder() + L"\\..\\vendor";
  CreateDirectoryW(vendor.c_str(), nullptr);
  const std::wstring module = vendor + L"\\testmod_needs_absent.dll";
  ASSERT_TRUE(CopyFileW((TestModule(L"testmod_needs_absent")).c_str(), module.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\..\\absent\\corvalinde_absent.dll").c_str(),
                        (vendor + L"\\corvalinde_absent.dll").c_str(), FALSE));
  EXPECT_TRUE(ShowsThenEnds(L"/filename " + module + L" /modal R",
                            L"Modulo : " + module + L"\r\nRegistrato con successo",
                            SeenIcon::Information, L"Registrato", 0));
  std::string check = RunAndCapture(
      L"\"" + ProgramFolder() + L"\\corvalinde_watch.exe\" --press-ok /check /filename " + module);
  EXPECT_NE(check.find("Dipendenze: tutte presenti"), std::string::npos) << check;
}

// What Windows refuses to load (127, 193) and Wine loads or refuses in its own way: either way
// the message ends with the dependency that explains it.
TEST_F(OtherArchitecture, TheDependencyThatExplainsAFailureIsNamed) {
  struct Case {
    const wchar_t* module;
    const wchar_t* lines;
  } cases[] = {
      {L"testmod_needs_partial.dll",
       L"\r\nManca una funzione richiesta:\r\n  CorvalindePartialMissing in testdep_partial.dll "
       L"(richiesta da testmod_needs_partial.dll)"},
      {L"testmod_needs_other_arch.dll",
       L"\r\nUna DLL richiesta è per un altro processore:\r\n  testdep_arch.dll: a 32 bit "
       L"(richiesta da testmod_needs_other_arch.dll)"},
  };
  for (const Case& test : cases) {
    std::wstring module = ProgramFolder() + L"\\" + test.module;
    AppProcess app(ProgramPath(), L"/filename " + module + L" /modal R");
    auto box = app.WaitForMessageBox(20s);
    ASSERT_TRUE(box.has_value()) << test.module;
    std::wstring lines = test.lines;
    EXPECT_GT(box->text.size(), lines.size());
    EXPECT_EQ(box->text.substr(box->text.size() - std::min(box->text.size(), lines.size())), lines);
    PressButton(box->window, L"OK");
    EXPECT_TRUE(app.WaitForExit(10s).has_value());
  }
}

// "/check" reads the module without loading it: in a box, on the console, and in the exit code.
TEST_F(OtherArchitecture, CheckReportsWithoutLoading) {
  auto check = [](const wchar_t* module) {
    return RunAndCapture(L"\"" + ProgramFolder() + L"\\corvalinde_watch.exe\" --press-ok /check " +
                         L"/filename " + ProgramFolder() + L"\\" + module);
  };
  std::string good = check(L"testmod_good.dll");
  EXPECT_NE(good.find("Architettura: a 64 bit\r\nDllRegisterServer: presente\r\n"
                      "DllUnregisterServer: presente\r\nDipendenze: tutte presenti\r\n"),
            std::string::npos)
      << good;
  EXPECT_NE(good.find("message box \"Verifica modulo\", icon information"), std::string::npos);
  EXPECT_NE(good.find("ended with exit code 0"), std::string::npos);
  std::string absent = check(L"testmod_needs_absent.dll");
  EXPECT_NE(absent.find("  corvalinde_absent.dll (richiesta da testmod_needs_absent.dll)\r\n"),
            std::string::npos)
      << absent;
  EXPECT_NE(absent.find("ended with exit code 3"), std::string::npos);
  EXPECT_NE(check(L"testmod_needs_partial.dll").find("ended with exit code 3"), std::string::npos);
  std::string none = check(L"testmod_noexports.dll");
  EXPECT_NE(none.find("DllRegisterServer: mancante\r\n"), std::string::npos) << none;
  EXPECT_NE(none.find("ended with exit code 4"), std::string::npos);
}

}  // namespace
}  // namespace corvalinde::e2e
