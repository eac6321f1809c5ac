// Without administrator rights: registration for the current user only, the elevated retry,
// and the verbs and start-up entry falling back to the user's keys.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <fstream>

#include "app_driver.h"
#include "registry_export.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring UserClasses(const std::wstring& path) {
  return L"Software\\Classes\\" + path;
}

// Runs a command line to its end, answering its one message with `button`; the message.
std::optional<MessageBoxSeen> RunAndAnswer(const std::wstring& arguments, const wchar_t* button,
                                           std::optional<DWORD>* exitCode) {
  AppProcess app(ProgramPath(), arguments);
  auto box = app.WaitForMessageBox(30s);
  if (box) PressButton(box->window, button);
  *exitCode = app.WaitForExit(30s);
  return box;
}

TEST(UserScope, RegistersUnderTheUsersClassesAndNothingForTheMachine) {
  std::wstring module = TestModule(L"testmod_good");
  std::optional<DWORD> exitCode;
  auto box = RunAndAnswer(L"/filename " + module + L" /modal R /USER", L"OK", &exitCode);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\nRegistrato con successo");
  EXPECT_EQ(exitCode, std::optional<DWORD>(0));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UserClasses(kSampleProgId) + L"\\CLSID"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UserClasses(kSampleClassKey) + L"\\InProcServer32"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UserClasses(kSampleProgId)));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UserClasses(kSampleClassKey)));

  box = RunAndAnswer(L"/user /filename " + module + L" /modal U", L"OK", &exitCode);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\nUnregistrato con successo");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserClasses(kSampleProgId)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserClasses(kSampleClassKey)));
}

// A module that writes the machine's keys itself: for this user only, its class lands in the
// user's classes and its vendor key is named and not applied; unregistering removes the class
// the same way. Wine runs elevated: a mapping that leaked would change HKEY_LOCAL_MACHINE.
TEST(UserScope, AModuleWritingTheMachinesKeysReachesOnlyTheUsersClasses) {
  const std::wstring module = TestModule(L"testmod_do_machinekeys");
  const std::wstring classKey =
      UserClasses(L"CLSID\\{C0B7A11D-0000-4000-8000-00000000BAD1}\\InprocServer32");
  std::optional<DWORD> exitCode;
  RunAndAnswer(L"/check /filename " + module, L"OK", &exitCode);  // Wine's first-window writes
  const std::wstring machine = Exported(L"HKLM");
  auto box = RunAndAnswer(L"/filename " + module + L" /modal R /user", L"OK", &exitCode);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module +
                           L"\r\nRegistrato con successo\r\nNon applicato per l'utente corrente: "
                           L"HKEY_LOCAL_MACHINE\\Software\\CorvalindeVendor");
  EXPECT_EQ(exitCode, std::optional<DWORD>(0));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, classKey));
  EXPECT_EQ(Difference(machine, Exported(L"HKLM")), "");

  box = RunAndAnswer(L"/filename " + module + L" /modal U /user", L"OK", &exitCode);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\nUnregistrato con successo");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, classKey));
  EXPECT_EQ(Difference(machine, Exported(L"HKLM")), "");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Corvalinde"));  // no scratch key left
}

// The not-elevated decision comes from the test's environment (Wine runs everything elevated);
// "runas" under Wine starts the host like any program, which is what is shown here: the
// shell starts it, it reports through its channel, and that outcome becomes the run's.
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
  std::wstring module_ = TestModule(L"testmod_refuses_once");
  std::wstring marker_;
};

TEST_F(Elevation, YesRunsTheHostThroughTheShellAndItsOutcomeIsTheRuns) {
  AppProcess app(ProgramPath(), L"/filename " + module_ + L" /modal R");
  auto question = app.WaitForMessageBox(30s);
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->icon, SeenIcon::Exclamation);
  EXPECT_NE(question->text.find(L"riprovare come amministratore?"), std::wstring::npos);
  ASSERT_TRUE(AnswerYes(question->window));
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

// Sets a key's DACL from its SDDL text (creating the key).
bool SetKeyAccess(HKEY root, const std::wstring& path, const wchar_t* sddl) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  bool set = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                  &descriptor, nullptr) &&
             RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
  LocalFree(descriptor);
  RegCloseKey(key);
  return set;
}

constexpr wchar_t kNoWrites[] = L"D:(D;;0x6;;;WD)(A;;KA;;;WD)";  // no values, no sub-keys
constexpr wchar_t kAllowAll[] = L"D:(A;;KA;;;WD)";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Where Wine refuses to open a key for writing (its DACL says so), the program falls back to
// the user's keys, as it does on Windows for a standard user.
class DeniedKeys : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const wchar_t* verb : {L"Registra", L"Unregistra"}) {
      SetKeyAccess(HKEY_CLASSES_ROOT, std::wstring(L"cvdaclfile\\shell\\") + verb + L"\\command",
                   kAllowAll);
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"cvdaclfile");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\cvdaclfile");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\.cvdacl");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".cvdacl");
    SetKeyAccess(HKEY_LOCAL_MACHINE, kRunKey, kAllowAll);
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
      RegDeleteValueW(run, L"Corvalinde");
      RegCloseKey(run);
    }
    DeleteFileW(settings_.c_str());
  }
  std::wstring settings_ = ProgramFolder() + L"\\opz.dat";
  std::wstring program_ = ProgramPath();
};

TEST_F(DeniedKeys, VerbsGoUnderTheUsersClasses) {
  for (const wchar_t* verb : {L"Registra", L"Unregistra"}) {
    std::wstring command = std::wstring(L"cvdaclfile\\shell\\") + verb + L"\\command";
    // Wine lets a key be deleted whatever its DACL says; a sub-key keeps it where it is.
    HKEY blocker = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (command + L"\\blocker").c_str(), 0, nullptr, 0,
                              KEY_READ, nullptr, &blocker, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(blocker);
    ASSERT_TRUE(SetKeyAccess(HKEY_CLASSES_ROOT, command, kNoWrites));
  }
  std::string file(3 * 128 + 128, '\0');
  file[0] = file[1] = '\xFF';
  file[256] = 1;
  file.replace(384, 50, "CVDACL" + std::string(44, ' '));
  std::ofstream(settings_.c_str(), std::ios::binary) << file;
  AppProcess app(program_, L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control);
  PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
  EXPECT_EQ(
      RegistryText(HKEY_CURRENT_USER, L"Software\\Classes\\cvdaclfile\\shell\\Registra\\command"),
      L"\"" + program_ + L"\" /filename %1 /modal R /visible 0");
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, L"cvdaclfile\\shell\\Registra\\command"), L"");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, L"Software\\Classes\\.cvdacl"), L"cvdaclfile");
}

TEST_F(DeniedKeys, TheStartUpEntryIsTheUsersAndTheDialogSaysSo) {
  ASSERT_TRUE(SetKeyAccess(HKEY_LOCAL_MACHINE, kRunKey, kNoWrites));
  AppProcess app(program_, L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control);
  auto openOptions = [&] {
    return ChooseFromTrayMenu(app, control, TrayCommand::Options)
               ? app.WaitForWindow(L"CorvalindeOptions", L"", 5s)
               : nullptr;
  };
  HWND options = openOptions();
  ASSERT_TRUE(options);
  PressButton(options, L"Avvia all'avvio di windows");
  PressButton(options, L"Conferma");
  // A refusal would be shown before the window goes.
  EXPECT_TRUE(WaitGone(options));
  EXPECT_FALSE(app.WaitForMessageBox(0ms).has_value()) << "no refusal to report";
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kRunKey, L"Corvalinde"), L"\"" + program_ + L"\"");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kRunKey, L"Corvalinde"), L"");

  options = openOptions();
  ASSERT_TRUE(options);
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(options, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(WindowText(child));
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"Avvio: solo per questo utente"), texts.end());
  PressButton(options, L"Avvia all'avvio di windows");
  PressButton(options, L"Conferma");
  WaitGone(options);
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kRunKey, L"Corvalinde"), L"");
  PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
  app.WaitForExit(10s);
}

}  // namespace
}  // namespace corvalinde::e2e
