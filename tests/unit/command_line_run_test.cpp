#include "app/command_line_run.h"

#include <gtest/gtest.h>

#include "app/module_check.h"
#include "app/regsvr32_syntax.h"
#include "registration/exit_codes.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/process.h"
#include "platform/system_errors.h"
#include "scripted_registrar.h"
#include "test_support.h"

namespace corvalinde {
namespace {

using platform::MessageIcon;
using platform::MessageRequest;
using testing::TestModuleFileName;

// The second line the system adds under a failure, when it has words for it.
std::wstring Reason(std::uint32_t code) {
  std::wstring text = platform::SystemErrorText(code);
  return text.empty() ? text : L"\r\n" + text;
}

class CommandLine : public ::testing::Test {
 protected:
  CommandLineRun Run(const std::wstring& text) {
    return RunCommandLine(text, {registrar_, boxes_});
  }
  std::wstring Args(const std::string& module, const std::wstring& rest) {
    return L"/filename " + TestModuleFileName(module) + L" " + rest;
  }
  ::testing::AssertionResult ShowedOnly(const std::wstring& text, MessageIcon icon,
                                        const std::wstring& title) {
    if (boxes_.Shown().size() != 1) {
      return ::testing::AssertionFailure() << boxes_.Shown().size() << " messages shown";
    }
    const MessageRequest& shown = boxes_.Shown().front();
    if (shown.text != text || shown.icon != icon || shown.title != title ||
        shown.buttons != platform::MessageButtons::Ok) {
      return ::testing::AssertionFailure()
             << "shown: [" << ::testing::PrintToString(shown.text) << "] icon "
             << static_cast<int>(shown.icon) << " title " << ::testing::PrintToString(shown.title);
    }
    return ::testing::AssertionSuccess();
  }

  testing::ModuleFolderAsCurrent inModuleFolder_;
  testing::MarkerFile marker_;
  std::unique_ptr<platform::ModuleLoader> loader_ = platform::MakeSystemModuleLoader();
  InProcessRegistrar registrar_{*loader_};
  platform::inmemory::RecordingMessageBoxes boxes_;
};

TEST_F(CommandLine, MissingFileNameOrModeShowsTheUsage) {
  for (const wchar_t* text : {L"/filename a.dll", L"/modal R /visible 1", L"/host R a.dll",
                              L"/filename a.dll /modal R /host", L"/host R /filename a.dll"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(text)));
    boxes_ = {};
    CommandLineRun run = Run(text);
    EXPECT_TRUE(
        ShowedOnly(L"Parametri non validi.\r\n/filename nomefile\r\n/visible  0-1\r\n/modal   U-R",
                   MessageIcon::Error, L"Errore"));
    EXPECT_FALSE(run.goOnInTray);
    EXPECT_EQ(run.exitCode, kExitInvalidParameters);
  }
  EXPECT_TRUE(marker_.Lines().empty());
}

TEST_F(CommandLine, TimeoutTakesWholeSecondsFromOneTo600) {
  for (const wchar_t* value : {L"0", L"601", L"1.5", L"dieci", L""}) {
    boxes_ = {};
    EXPECT_EQ(Run(Args("testmod_good", L"/modal R /timeout ") + value).exitCode,
              kExitInvalidParameters)
        << ::testing::PrintToString(std::wstring(value));
    EXPECT_EQ(boxes_.Shown().size(), 1u);
  }
  EXPECT_TRUE(marker_.Lines().empty());
  EXPECT_EQ(registrar_.TimeLimit(), kRegistrationTimeLimit);
  EXPECT_EQ(Run(Args("testmod_good", L"/TIMEOUT 600 /modal R")).exitCode, 0);
  EXPECT_EQ(registrar_.TimeLimit(), std::chrono::seconds(600));
}

TEST_F(CommandLine, RegisteringNamesTheFile) {
  std::wstring file = TestModuleFileName("testmod_good");
  CommandLineRun run = Run(Args("testmod_good", L"/modal R /visible 0"));
  EXPECT_TRUE(ShowedOnly(L"Modulo : " + file + L"\r\nRegistrato con successo",
                         MessageIcon::Information, L"Registrato"));
  EXPECT_EQ(run.exitCode, kExitSuccess);
  EXPECT_FALSE(run.goOnInTray);
}

TEST_F(CommandLine, UnregisteringKeepsTheRegisteredTitle) {
  std::wstring file = TestModuleFileName("testmod_good");
  CommandLineRun run = Run(Args("testmod_good", L"/modal U /visible 1"));
  EXPECT_TRUE(ShowedOnly(L"Modulo : " + file + L"\r\nUnregistrato con successo",
                         MessageIcon::Information, L"Registrato"));
  EXPECT_TRUE(run.goOnInTray);
}

TEST_F(CommandLine, LowerCaseUUnregistersSilently) {
  CommandLineRun run = Run(Args("testmod_good", L"/modal u"));
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(run.exitCode, kExitSuccess);
  EXPECT_EQ(marker_.Lines(), std::vector<std::string>{"unregister"});
}

TEST_F(CommandLine, EachFailureHasItsMessageAndExitCode) {
  struct Case {
    std::string module;
    std::wstring mode;
    std::wstring text;
    int exitCode;
  };
  std::wstring missing = TestModuleFileName("testmod_missing");
  std::wstring failing = TestModuleFileName("testmod_failing");
  const Case cases[] = {
      {"testmod_good", L"r", L"Entrypoint del modulo mancante", kExitEntryPointMissing},
      {"testmod_noexports", L"R", L"Entrypoint del modulo mancante", kExitEntryPointMissing},
      {"testmod_missing", L"R",
       L"Modulo :" + missing + L"\r\nè mancante o non valido\r\n" + platform::SystemErrorText(126),
       kExitModuleInvalid},
      {"testmod_failing", L"U",
       L"Modulo : " + failing + L"\r\nOperazione non riuscita (codice 0x80070005)" +
           Reason(0x80070005),
       kExitEntryPointFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    boxes_ = {};
    CommandLineRun run = Run(Args(c.module, L"/modal " + c.mode));
    EXPECT_TRUE(ShowedOnly(c.text, MessageIcon::Error, L"Errore"));
    EXPECT_EQ(run.exitCode, c.exitCode);
  }
}

// "%1 is not a valid Win32 application.": the system's words name the file, never "%1".
TEST_F(CommandLine, AReasonWithAnInsertNamesTheFile) {
  std::wstring text = TestModuleFileName("testmod_text");
  CommandLineRun run = Run(Args("testmod_text", L"/modal R"));
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  const std::wstring& shown = boxes_.Shown()[0].text;
  EXPECT_EQ(shown.find(L"%1"), std::wstring::npos) << ::testing::PrintToString(shown);
  EXPECT_EQ(shown.rfind(L"Modulo :" + text + L"\r\nè mancante o non valido\r\n", 0), 0u);
  EXPECT_NE(shown.find(text, shown.find(L"\r\n", shown.find(L"valido"))), std::wstring::npos)
      << ::testing::PrintToString(shown);
  EXPECT_EQ(run.exitCode, kExitModuleInvalid);
}

TEST(CommandLineElevation, ARefusalForWantOfRightsOffersToTryAsAdministrator) {
  RegistrationResult done;
  done.outcome = RegDone;
  struct Case {
    const char* what;
    std::wstring text;
    bool elevated;
    std::optional<platform::MessageAnswer> answer;
    std::optional<RegistrationResult> elevatedResult;
    int exitCode;
    std::size_t boxes, elevatedRuns;
  };
  const Case cases[] = {
      {"yes, and it works", L"/filename a.dll /modal R", false, platform::MessageAnswer::Yes, done,
       kExitSuccess, 2, 1},
      {"no", L"/filename a.dll /modal R", false, platform::MessageAnswer::No, done,
       kExitEntryPointFailed, 1, 0},
      {"yes, prompt refused", L"/filename a.dll /modal U", false, platform::MessageAnswer::Yes,
       std::nullopt, kExitEntryPointFailed, 1, 1},
      {"silent mode asks nothing", L"/filename a.dll /modal u", false, std::nullopt, done,
       kExitEntryPointFailed, 1, 0},
      {"/user asks nothing", L"/filename a.dll /modal R /user", false, std::nullopt, done,
       kExitEntryPointFailed, 1, 0},
      {"already elevated", L"/filename a.dll /modal R", true, std::nullopt, done,
       kExitEntryPointFailed, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::ScriptedRegistrar registrar;
    registrar.result = testing::AccessDenied();
    registrar.elevated = c.elevatedResult;
    platform::inmemory::RecordingMessageBoxes boxes;
    if (c.answer) boxes.QueueAnswer(*c.answer);
    CommandLineRun run = RunCommandLine(c.text, {registrar, boxes, c.elevated});
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(registrar.elevatedRuns.size(), c.elevatedRuns);
    // "u" shows no message for a failure either: what it shows is only the failure's.
    ASSERT_EQ(boxes.Shown().size(), c.text.find(L" u") != std::wstring::npos ? 1u : c.boxes);
    const MessageRequest& first = boxes.Shown()[0];
    bool asked = first.buttons == platform::MessageButtons::YesNo;
    EXPECT_EQ(asked, c.answer.has_value());
    if (asked) {
      EXPECT_EQ(
          first.text.rfind(L"Modulo : a.dll\r\nOperazione non riuscita (codice 0x80070005)", 0),
          0u);
      EXPECT_NE(first.text.find(L"riprovare come amministratore?"), std::wstring::npos);
      EXPECT_NE(first.text.find(L"/user"), std::wstring::npos);
      EXPECT_EQ(first.icon, MessageIcon::Exclamation);
    }
  }
}

TEST(Regsvr32Syntax, SwitchesAnywhereQuotedNamesAndWhatIsRefused) {
  EXPECT_TRUE(UsesRegsvr32Syntax(L"/u x.dll"));
  EXPECT_FALSE(UsesRegsvr32Syntax(L"/FileName x.dll /modal R"));
  auto command = ParseRegsvr32Command(L"-U \"C:\\a b\\x.dll\" /S y.ocx");
  ASSERT_TRUE(command.has_value());
  EXPECT_TRUE(command->unregister);
  EXPECT_TRUE(command->silent);
  EXPECT_FALSE(command->install.has_value());
  EXPECT_EQ(command->modules, (std::vector<std::wstring>{L"C:\\a b\\x.dll", L"y.ocx"}));
  command = ParseRegsvr32Command(L"/n /i:\"uno due\" x.dll");
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->install, std::optional<std::wstring>(L"uno due"));
  EXPECT_TRUE(command->skipEntryPoint);
  for (const wchar_t* refused : {L"/x a.dll", L"/s", L"/n a.dll", L"", L"/modal R"}) {
    EXPECT_FALSE(ParseRegsvr32Command(refused).has_value())
        << ::testing::PrintToString(std::wstring(refused));
  }
}

// Every module in turn; the exit code is the last failure's, as regsvr32's.
TEST_F(CommandLine, WithoutFilenameTheModulesRunAsRegsvr32RunsThem) {
  const std::wstring modules =
      TestModuleFileName("testmod_good") + L" " + TestModuleFileName("testmod_noexports");
  EXPECT_EQ(Run(modules).exitCode, kExitEntryPointMissing);
  ASSERT_EQ(boxes_.Shown().size(), 2u);
  EXPECT_EQ(boxes_.Shown()[0].text,
            L"Modulo : " + TestModuleFileName("testmod_good") + L"\r\nRegistrato con successo");
  EXPECT_EQ(boxes_.Shown()[1].text, L"Entrypoint del modulo mancante");
  EXPECT_EQ(Run(L"/u /s " + modules).exitCode, kExitEntryPointMissing);
  EXPECT_EQ(boxes_.Shown().size(), 2u);  // silently: no more boxes
  EXPECT_EQ(marker_.Lines(), (std::vector<std::string>{"register", "unregister"}));
}

// /i: DllInstall after DllRegisterServer, before DllUnregisterServer, alone with /n; a module
// without DllInstall, or whose DllInstall fails, ends as for the server's entry point.
TEST_F(CommandLine, DllInstallRunsInRegsvr32sOrder) {
  const std::wstring install = TestModuleFileName("testmod_install");
  const struct {
    std::wstring arguments;
    int exitCode;
    std::vector<std::string> calls;
  } cases[] = {
      {L"/s /i:ciao " + install, kExitSuccess, {"register", "install [ciao]"}},
      {L"/s /u /i:\"a /b\" " + install, kExitSuccess, {"uninstall [a /b]", "unregister"}},
      {L"/s /n /i " + install, kExitSuccess, {"install []"}},
      {L"/s /i:fallisci " + install, kExitEntryPointFailed, {"register", "install [fallisci]"}},
      {L"/s /u /i:fallisci " + install, kExitEntryPointFailed, {"uninstall [fallisci]"}},
      {L"/s /i " + TestModuleFileName("testmod_good"), kExitEntryPointMissing, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const std::size_t before = marker_.Lines().size();
    InProcessRegistrar registrar{*loader_};
    EXPECT_EQ(RunCommandLine(c.arguments, {registrar, boxes_}).exitCode, c.exitCode);
    const std::vector<std::string> lines = marker_.Lines();
    if (!c.calls.empty()) {
      EXPECT_EQ(std::vector<std::string>(lines.begin() + before, lines.end()), c.calls);
    }
  }
  // With /n no server entry point ran: the success says what did.
  InProcessRegistrar registrar{*loader_};
  const std::size_t shown = boxes_.Shown().size();
  RunCommandLine(L"/n /i " + install, {registrar, boxes_});
  ASSERT_EQ(boxes_.Shown().size(), shown + 1);
  EXPECT_EQ(boxes_.Shown().back().text,
            L"Modulo : " + install + L"\r\nDllInstall eseguito con successo");
}

struct RecordingConsole final : platform::ConsoleOutput {
  void Write(const std::wstring& text) override { written += text; }
  std::wstring written;
};

// "/s": each outcome's words on the console, once, its exit code, no box and no question (a
// refusal for want of rights is not offered again as administrator).
TEST_F(CommandLine, SilentlyEachMessageGoesToTheConsole) {
  const std::wstring good = TestModuleFileName("testmod_good");
  const ModuleCheck check = CheckModule(good);  // natively not a module Windows would load
  const struct {
    std::wstring arguments, written;
    int exitCode;
  } cases[] = {
      {Args("testmod_good", L"/modal R /s"),
       L"Modulo : " + good + L"\r\nRegistrato con successo\r\n", kExitSuccess},
      {Args("testmod_good", L"/S /modal r"), L"Entrypoint del modulo mancante\r\n",
       kExitEntryPointMissing},
      {L"/s /modal R",
       L"Parametri non validi.\r\n/filename nomefile\r\n/visible  0-1\r\n/modal   U-R\r\n",
       kExitInvalidParameters},
      {Args("testmod_good", L"/check /s"), check.text + L"\r\n", check.exitCode},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    RecordingConsole console;
    boxes_ = {};
    CommandLineRun run = RunCommandLine(c.arguments, {registrar_, boxes_, true, &console});
    EXPECT_EQ(console.written, c.written);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(boxes_.Shown().empty());
    EXPECT_FALSE(registrar_.ShowsProgress());
  }
  RecordingConsole console;
  testing::ScriptedRegistrar refused;
  refused.result = testing::AccessDenied();
  CommandLineRun run =
      RunCommandLine(L"/filename a.dll /modal R /s", {refused, boxes_, false, &console});
  EXPECT_EQ(run.exitCode, kExitEntryPointFailed);
  EXPECT_TRUE(refused.elevatedRuns.empty());
  EXPECT_EQ(
      console.written.rfind(L"Modulo : a.dll\r\nOperazione non riuscita (codice 0x80070005)", 0),
      0u);
  EXPECT_EQ(console.written.find(L"amministratore?"), std::wstring::npos);
}

TEST(CommandLineMessages, TimeOutDoesNotNameTheFile) {
  RegistrationResult timedOut{RegTimeout, 0, 0};
  auto message = CommandLineMessage(timedOut, L"a.dll", ModalAction{});
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, L"Errore di timeout del modulo");
  EXPECT_EQ(message->icon, MessageIcon::Error);
  EXPECT_EQ(message->title, L"Errore");
}

}  // namespace
}  // namespace corvalinde
