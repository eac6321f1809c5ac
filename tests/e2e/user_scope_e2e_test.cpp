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

}  // namespace
}  // namespace corvalinde::e2e
