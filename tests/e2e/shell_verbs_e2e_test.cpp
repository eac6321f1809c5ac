// The verbs the program installs, used the way Explorer uses them: the shell runs "Registra"
// on a module and Corvalinde.exe starts in command-line mode.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "app_driver.h"
#include "options/opzioni.h"
#include "options/reg_func.h"
#include "options/shell_verbs.h"
#include "platform/registry.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

class ShellVerbsForReal : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fresh prefix does not tie .dll files to the dllfile class, as Windows does.
    ASSERT_TRUE(RegWriteString(*registry_, platform::kHkeyClassesRoot, L".dll", L"", L"dllfile"));
    CreateShellVerbs(*registry_, DefaultOpzioni().Ext, corvalinde::ProgramPath(ProgramFolder()));
  }
  void TearDown() override { RemoveShellVerbs(*registry_, DefaultOpzioni().Ext); }

  // Asks the shell to run `verb` on `file`; the started program, or nothing.
  std::unique_ptr<AppProcess> Invoke(const wchar_t* verb, const std::wstring& file) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || !info.hProcess) return nullptr;
    return std::make_unique<AppProcess>(info.hProcess);
  }

  std::unique_ptr<platform::Registry> registry_ = platform::MakeSystemRegistry();
};

TEST_F(ShellVerbsForReal, RegQueryShowsTheQuotedCommand) {
  std::string output = RunAndCapture(L"reg query HKCR\\dllfile\\shell\\Registra\\command");
  std::wstring program = corvalinde::ProgramPath(ProgramFolder());
  std::string expected =
      "\"" + std::string(program.begin(), program.end()) + "\" /filename %1 /modal R /visible 0";
  EXPECT_NE(output.find(expected), std::string::npos) << output;
}

TEST_F(ShellVerbsForReal, TheShellStartsUsThroughRegistraAndUnregistra) {
  std::wstring module = TestModule(L"testmod_good");
  for (auto [verb, outcome] : {std::pair{L"Registra", L"Registrato con successo"},
                               std::pair{L"Unregistra", L"Unregistrato con successo"}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(verb)));
    auto app = Invoke(verb, module);
    ASSERT_TRUE(app) << "the shell did not start the verb's command";
    auto box = app->WaitForMessageBox(20s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\n" + outcome);
    EXPECT_EQ(box->title, L"Registrato");
    PressButton(box->window, L"OK");
    EXPECT_EQ(app->WaitForExit(10s), std::optional<DWORD>(0));
  }
}

}  // namespace
}  // namespace corvalinde::e2e
