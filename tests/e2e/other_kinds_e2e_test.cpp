// Type libraries and COM server programs, given where a module is: registered for the machine
// and for the user, unregistered from what they are, captured or refused, run silently.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "message_checks.h"
#include "registry_export.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kTypeLibrary[] =
    L"TypeLib\\{6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E41}\\1.2\\0\\win64";
constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";
constexpr wchar_t kServerClass[] = L"CorvalindeTest.ServerProgram";

void ExpectExit(const WatchedRun& run, DWORD code, const std::string& words = {}) {
  EXPECT_EQ(run.exitCode, std::optional<DWORD>(code)) << run.output;
  EXPECT_NE(run.output.find(words), std::string::npos) << run.output;
}

TEST(CommandLineRun, ATypeLibraryIsRegisteredFromItsOwnAttributes) {
  const std::wstring library = ProgramFolder() + L"\\testlib.tlb";
  if (GetFileAttributesW(library.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "no test type library: the build found no widl";
  }
  const std::wstring user = std::wstring(kUserClasses) + kTypeLibrary;

  ExpectExit(Silently(library), 0, "Registrato con successo");
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, kTypeLibrary), library);
  ExpectExit(Silently(L"/u " + library), 0, "Unregistrato con successo");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibrary));

  ExpectExit(Silently(L"/filename " + library + L" /modal R /user"), 0);
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, user), library);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibrary));
  ExpectExit(Silently(L"/filename " + library + L" /modal U /user"), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, user));

  const std::wstring regFile = TempFile(L"corvalinde typelib.reg");
  ExpectExit(Silently(L"/filename " + library + L" /modal R /capture " + regFile), 0,
             "Registrazione catturata in ");
  const std::string bytes = FileBytes(regFile);
  DeleteFileW(regFile.c_str());
  // UTF-16, as Registry Editor writes it.
  std::wstring captured(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  EXPECT_NE(captured.find(L"\\\\testlib.tlb\""), std::wstring::npos);
  EXPECT_NE(captured.find(L"\\{6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E41}\\1.2\\0\\win64]"),
            std::wstring::npos);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibrary));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, user));

  // Any other file under the name: the load's failure, with the type library's own code.
  const std::wstring notALibrary = ProgramFolder() + L"\\testmod_good copy.tlb";
  ASSERT_TRUE(CopyFileW(TestModule(L"testmod_good").c_str(), notALibrary.c_str(), FALSE));
  ExpectExit(Silently(notALibrary), 3, "mancante o non valido\r\n");
  DeleteFileW(notALibrary.c_str());
}

TEST(CommandLineRun, AServerProgramRegistersItselfInTheHostsJob) {
  const std::wstring server = ProgramFolder() + L"\\testsrv.exe";
  const std::wstring user = std::wstring(kUserClasses) + kServerClass;

  ExpectExit(Silently(server), 0, "Registrato con successo");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerClass));
  ExpectExit(Silently(L"/u " + server), 0, "Unregistrato con successo");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerClass));
  ExpectExit(Silently(L"/filename " + server + L" /modal R /user"), 0);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, user));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerClass));
  ExpectExit(Silently(L"/filename " + server + L" /modal U /user"), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, user));

  ExpectExit(Silently(ProgramFolder() + L"\\testsrv_fallisci.exe"), 5,
             "Operazione non riuscita (codice 0x00000003)\r\n");
  // Stopped at the limit, with the copy of itself it started.
  ExpectExit(
      Silently(L"/filename " + ProgramFolder() + L"\\testsrv_blocca.exe /modal R /timeout 2"), 6,
      "Errore di timeout del modulo");
  EXPECT_TRUE(NoneLeftWithin(L"testsrv_blocca.exe", 5s));

  // What it writes happens in its own process: not captured, not even run.
  const std::wstring regFile = TempFile(L"corvalinde server.reg");
  ExpectExit(Silently(L"/filename " + server + L" /modal R /capture " + regFile), 1,
             "la cattura non pu");
  EXPECT_EQ(GetFileAttributesW(regFile.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerClass));
}

}  // namespace
}  // namespace corvalinde::e2e
