// A module the 64-bit program cannot load: an i686 build of the test server, and one whose
// dependency is missing. The program says why; a program under the twin's name that is not
// the 32-bit build is refused.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "platform/system_errors.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring Program() {
  return ProgramFolder() + L"\\Corvalinde.exe";
}
std::wstring Twin() {
  return ProgramFolder() + L"\\Corvalinde32.exe";
}
std::wstring Module32() {
  return ProgramFolder() + L"\\testmod_arch_i686.dll";
}

class OtherArchitecture : public ::testing::Test {
 protected:
  void TearDown() override { DeleteFileW(Twin().c_str()); }
};

TEST_F(OtherArchitecture, WithoutTheTwinTheMessageNamesTheBuildToUse) {
  AppProcess app(Program(), L"/filename " + Module32() + L" /modal R /visible 0");
  auto box = app.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + Module32() +
                           L"\r\nIl modulo è a 32 bit: questa versione di Corvalinde, a 64 bit, "
                           L"non può caricarlo.\r\nUsare Corvalinde32.exe, nella stessa cartella "
                           L"di Corvalinde.exe.");
  EXPECT_EQ(box->title, L"Errore");
  EXPECT_EQ(box->icon, SeenIcon::Error);
  PressButton(box->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(3));
}

// A copy of the 64-bit program under the 32-bit one's name would host the module itself,
// refuse it, hand it on again, and so on without end.
TEST_F(OtherArchitecture, AMisnamedTwinIsRefusedByName) {
  ASSERT_TRUE(CopyFileW(Program().c_str(), Twin().c_str(), FALSE));
  AppProcess app(Program(), L"/filename " + Module32() + L" /modal R");
  auto box = app.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text,
            L"Modulo : " + Module32() + L"\r\n" + Twin() +
                L" non è la versione a 32 bit di Corvalinde: non può caricare il modulo.");
  PressButton(box->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(3));
}

TEST_F(OtherArchitecture, AMissingDependencyIsNamedByTheSystem) {
  std::wstring module = ProgramFolder() + L"\\testmod_needs_absent.dll";
  AppProcess app(Program(), L"/filename " + module + L" /modal R");
  auto box = app.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  std::wstring reason = platform::SystemErrorText(ERROR_MOD_NOT_FOUND);
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(box->text, L"Modulo :" + module + L"\r\nè mancante o non valido\r\n" + reason);
  PressButton(box->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(3));
}

}  // namespace
}  // namespace corvalinde::e2e
