// Without administrator rights: registration for the current user only, the elevated retry,
// and the verbs and start-up entry falling back to the user's keys.
#include <gtest/gtest.h>

#include "app_driver.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kProgId[] = L"Corvalinde.TestModule";
constexpr wchar_t kClassKey[] = L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}";

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring UserClasses(const std::wstring& path) {
  return L"Software\\Classes\\" + path;
}

// Runs a command line to its end, answering its one message with `button`; the message.
std::optional<MessageBoxSeen> RunAndAnswer(const std::wstring& arguments, const wchar_t* button,
                                           std::optional<DWORD>* exitCode) {
  AppProcess app(ProgramFolder() + L"\\Corvalinde.exe", arguments);
  auto box = app.WaitForMessageBox(30s);
  if (box) PressButton(box->window, button);
  *exitCode = app.WaitForExit(30s);
  return box;
}

TEST(UserScope, RegistersUnderTheUsersClassesAndNothingForTheMachine) {
  std::wstring module = ProgramFolder() + L"\\testmod_good.dll";
  std::optional<DWORD> exitCode;
  auto box = RunAndAnswer(L"/filename " + module + L" /modal R /USER", L"OK", &exitCode);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\nRegistrato con successo");
  EXPECT_EQ(exitCode, std::optional<DWORD>(0));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UserClasses(kProgId) + L"\\CLSID"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UserClasses(kClassKey) + L"\\InProcServer32"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UserClasses(kProgId)));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UserClasses(kClassKey)));

  box = RunAndAnswer(L"/user /filename " + module + L" /modal U", L"OK", &exitCode);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\nUnregistrato con successo");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserClasses(kProgId)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserClasses(kClassKey)));
}

// The not-elevated decision comes from the test's environment (Wine runs everything elevated);
// "runas" under Wine starts the host like any program, which is what is shown here: the
// shell starts it, it writes its result file, and that outcome becomes the run's.
class Elevation : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    marker_ = std::wstring(folder) + L"corvalinde-elevation-marker";
    DeleteFileW((marker_ + L".refused").c_str());
    SetEnvironmentVariableW(L"CORVALINDE_TEST_MARKER", marker_.c_str());
    SetEnvironmentVariableW(L"CORVALINDE_TEST_NOT_ELEVATED", L"1");
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"CORVALINDE_TEST_NOT_ELEVATED", nullptr);
    SetEnvironmentVariableW(L"CORVALINDE_TEST_MARKER", nullptr);
    DeleteFileW((marker_ + L".refused").c_str());
    DeleteFileW(marker_.c_str());
  }
  std::wstring module_ = ProgramFolder() + L"\\testmod_refuses_once.dll";
  std::wstring marker_;
};

TEST_F(Elevation, YesRunsTheHostThroughTheShellAndItsOutcomeIsTheRuns) {
  AppProcess app(ProgramFolder() + L"\\Corvalinde.exe", L"/filename " + module_ + L" /modal R");
  auto question = app.WaitForMessageBox(30s);
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->icon, SeenIcon::Exclamation);
  EXPECT_NE(question->text.find(L"riprovare come amministratore?"), std::wstring::npos);
  ASSERT_TRUE(PressButton(question->window, L"Yes") || PressButton(question->window, L"Sì"));
  for (int tries = 0; tries < 50 && IsWindow(question->window); ++tries) Sleep(100);
  auto outcome = app.WaitForMessageBox(30s);
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(outcome->text, L"Modulo : " + module_ + L"\r\nRegistrato con successo");
  PressButton(outcome->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
}

TEST_F(Elevation, NoEndsWithTheRefusalsCode) {
  std::optional<DWORD> exitCode;
  auto question = RunAndAnswer(L"/filename " + module_ + L" /modal R", L"No", &exitCode);
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(exitCode, std::optional<DWORD>(5));
}

}  // namespace
}  // namespace corvalinde::e2e
