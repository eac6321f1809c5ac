// Registration through a host process: how each way a host can end reads as an outcome, a
// message and an exit code; which program hosts which module; and the host's own side.
#include "registration/host_registrar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "app/command_line_run.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "registration/classes_host.h"
#include "registration/exit_codes.h"
#include "platform/host_output.h"
#include "registration/host_protocol.h"
#include "registration/host_side.h"
#include "test_support.h"

namespace corvalinde {
namespace {

using platform::HostRun;

using testing::ArchModule;

// One launch's token, as the registrar makes them.
const std::wstring kToken = L"0123456789abcdef0123456789abcdef";
const std::string kLoaded = HostLoadedMark(kToken);

HostRun Ended(std::uint32_t exitCode, std::string output = {}, bool timedOut = false) {
  HostRun run;
  run.started = true;
  run.exitCode = exitCode;
  run.output = std::move(output);
  run.timedOut = timedOut;
  return run;
}

TEST(HostEnd, EveryWayAHostEndsHasItsMessageAndExitCode) {
  RegistrationResult done;
  done.outcome = RegDone;
  RegistrationResult failed;
  failed.outcome = RegEntryFailed;
  failed.entryStatus = static_cast<std::int32_t>(0x80070005);
  HostRun notStarted;
  notStarted.startError = 2;
  RegistrationResult unmapped;  // "/user", and the user's classes could not be put in place
  unmapped.outcome = RegScopeFailed;
  struct Case {
    const char* what;
    HostRun run;
    int exitCode;
    std::wstring text;  // empty: the engine's own message, not checked here
  };
  const std::wstring crash = L"Modulo : a.dll\r\nIl modulo si è interrotto durante l'operazione";
  const Case cases[] = {
      {"reported success", Ended(0, kLoaded + HostReport(kToken, done)), kExitSuccess, L""},
      {"reported failure", Ended(0, kLoaded + HostReport(kToken, failed)), kExitEntryPointFailed,
       L""},
      {"a report, then stopped in its end", Ended(1, HostReport(kToken, done), true), kExitSuccess,
       L""},
      {"the module's chatter around the report",
       Ended(0, "result -1 0 0 2\n" + kLoaded + HostReport(kToken, failed) + "result -1 0 0 2\n"),
       kExitEntryPointFailed, L""},
      {"stopped while loading or running", Ended(1, kLoaded, true), kExitTimeout,
       L"Errore di timeout del modulo"},
      {"access violation", Ended(0xC0000005, kLoaded), kExitCrashed,
       crash + L" (eccezione 0xC0000005)"},
      {"stack overflow in DllMain", Ended(0xC00000FD), kExitCrashed,
       crash + L" (eccezione 0xC00000FD)"},
      {"ExitProcess(7)", Ended(7, kLoaded), kExitCrashed, crash + L" (eccezione 0x00000007)"},
      {"ExitProcess(0): no silent success", Ended(0, kLoaded), kExitCrashed,
       crash + L" (eccezione 0x00000000)"},
      {"a malformed report", Ended(0, "result " + std::string(32, 'a') + " nonsense\n"),
       kExitCrashed, crash + L" (eccezione 0x00000000)"},
      {"a report without the token, then ExitProcess(0)",
       Ended(0,
             kLoaded + "result -1 0 0 2\n" + HostReport(L"ffffffffffffffffffffffffffffffff", done)),
       kExitCrashed, crash + L" (eccezione 0x00000000)"},
      {"a report cut short", Ended(0, kLoaded + HostReport(kToken, done).substr(0, 40)),
       kExitCrashed, crash + L" (eccezione 0x00000000)"},
      {"no host at all", notStarted, kExitModuleInvalid, L""},
      {"no per-user mapping", Ended(0, HostReport(kToken, unmapped)), kExitUserScopeFailed,
       L"Modulo : a.dll\r\nImpossibile registrare solo per l'utente corrente: nulla è stato "
       L"registrato."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegistrationResult result = OutcomeOfHost(c.run, kToken);
    EXPECT_EQ(ExitCodeFor(result.outcome), c.exitCode);
    if (c.text.empty()) continue;
    auto message = CommandLineMessage(result, L"a.dll", ModalAction{});
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, c.text);
    EXPECT_EQ(message->title, L"Errore");
    EXPECT_EQ(message->icon, platform::MessageIcon::Error);
  }
}

// A module's thread left running after a time-out writes on after the host's report: the
// report stays, the rest is bounded, and reports a flood imitates get no more room.
TEST(HostOutput, TheReportsOutliveWhatIsWrittenAfterThem) {
  RegistrationResult timedOut;
  timedOut.outcome = RegTimeout;
  std::string output = kLoaded + HostReport(kToken, timedOut);
  for (int i = 0; i < 40; ++i) {
    output += std::string(8192, 'x');
    platform::KeepTheReports(output, HostReportStart(kToken));
  }
  EXPECT_LE(output.size(), 2 * platform::kMostHostOutput);
  auto report = ParseHostReport(output, kToken);
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->outcome, RegTimeout);
  const std::string line = HostReport(kToken, timedOut);
  for (int i = 0; i < 4000; ++i) output += line;
  platform::KeepTheReports(output, HostReportStart(kToken));
  EXPECT_LE(output.size(), 2 * platform::kMostHostOutput);
}

// The limits run from the marks in the order written, each read once however the channel cuts
// them: a loaded mark again before the report (a module writing on the channel) starts no new
// limit; the report starts the next module's load.
TEST(HostOutput, TheLoadedMarkCountsOnceAModule) {
  const std::string report = HostReport(kToken, RegistrationResult{});
  platform::HostPhases phases(kLoaded, HostReportStart(kToken));
  std::string output;
  auto write = [&](const std::string& text) {
    bool started = false;
    for (char c : text) {  // a byte at a time: marks cut anywhere
      output += c;
      started = phases.Take(output, 1) || started;
    }
    return started;
  };
  EXPECT_TRUE(write(kLoaded));
  EXPECT_EQ(phases.Current(), platform::HostPhases::Limit::Entry);
  EXPECT_FALSE(write("module " + kLoaded + kLoaded));
  EXPECT_TRUE(write(report));
  EXPECT_EQ(phases.Current(), platform::HostPhases::Limit::Load);
  EXPECT_TRUE(write(kLoaded + kLoaded));
  EXPECT_EQ(phases.Current(), platform::HostPhases::Limit::Entry);
}

TEST(HostProtocol, CommandsAndReportsRoundTrip) {
  HostCommand command{Action::Unregister, L"C:\\a b/c;d\\/modal x.dll", RegistrationScope::Machine,
                      kToken};
  auto parsed = ParseHostCommand(HostArguments(command));
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->action, Action::Unregister);
  EXPECT_FALSE(parsed->classes);
  command.classes = ClassesAction::Restore;
  EXPECT_EQ(ParseHostCommand(HostArguments(command))->classes, ClassesAction::Restore);
  EXPECT_EQ(parsed->file, command.file);
  EXPECT_EQ(parsed->scope, RegistrationScope::Machine);
  HostCommand everything{Action::Register,
                         L"x.dll",
                         RegistrationScope::User,
                         kToken,
                         L"Software\\Corvalinde\\Capture\\0a",
                         L"Software\\Corvalinde\\Capture\\1.b",
                         std::chrono::milliseconds(2500),
                         InstallStep{L"a /filename b \"c\"", false}};
  parsed = ParseHostCommand(HostArguments(everything));
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->scope, RegistrationScope::User);
  EXPECT_EQ(parsed->token, kToken);
  EXPECT_EQ(parsed->captureKey, everything.captureKey);
  EXPECT_EQ(parsed->scratchKey, everything.scratchKey);
  EXPECT_EQ(parsed->limit, everything.limit);
  ASSERT_TRUE(parsed->install.has_value());
  EXPECT_EQ(parsed->install->commandLine, everything.install->commandLine);
  EXPECT_FALSE(parsed->install->serverEntryPoint);
  EXPECT_EQ(parsed->file, L"x.dll");
  EXPECT_TRUE(ParseHostCommand(L"/HOST R /TOKEN " + kToken + L" /FILENAME x.dll").has_value());
  // A host command without a well-formed token is never a host's, whatever else it says.
  const std::wstring token = L" /token " + kToken;
  for (const std::wstring& text : std::vector<std::wstring>{
           L"/host", L"/host R", L"/host R /filename x.dll", L"/host R /result r.txt /filename x",
           L"/host R /token abc /filename x", L"/host R /token " + kToken + L"0 /filename x",
           L"/host R /token " + std::wstring(32, L'g') + L" /filename x",
           L"/host  " + token + L" /filename x", L"/hostR" + token + L" /filename x",
           L"/filename x.dll /host R" + token, L"/host R" + token + L" /capture",
           L"/host R" + token + L" /capture /filename x",
           L"/host R" + token + L" /limit 0 /filename x",
           L"/host R" + token + L" /limit 600001 /filename x", L"/host r" + token + L" /filename x",
           L"/host u" + token + L" /filename x"}) {
    EXPECT_FALSE(ParseHostCommand(text).has_value()) << ::testing::PrintToString(text);
  }
  EXPECT_TRUE(NamesHostSwitch(L"/filename x /HOST"));
  EXPECT_FALSE(NamesHostSwitch(L"/filename C:\\hostile\\x.dll /modal R"));

  RegistrationResult result;
  result.outcome = RegModuleInvalid;
  result.entryStatus = -2147024891;
  result.loadError = 193;
  result.architecture = ModuleArchitecture::X86;
  auto back = ParseHostReport(kLoaded + HostReport(kToken, result), kToken);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->outcome, result.outcome);
  EXPECT_EQ(back->entryStatus, result.entryStatus);
  EXPECT_EQ(back->loadError, result.loadError);
  EXPECT_EQ(back->architecture, result.architecture);
}

// A launcher that records what it was asked to start and ends as scripted: one report per file
// named (several are joined by "|"), or only `reportsBeforeEnd` of them before the host ends
// with `endCode`.
struct ScriptedLauncher final : platform::HostLauncher {
  HostRun Run(const std::wstring& program, const std::wstring& arguments, const std::wstring& token,
              bool elevated, const std::wstring&, std::string_view mark, std::string_view,
              std::chrono::milliseconds loadLimit, std::chrono::milliseconds entryLimit) override {
    if ((elevated && refuseElevation) || startError) {
      HostRun refused;
      refused.startError = startError ? startError : 1223;
      return refused;
    }
    started.push_back({program, arguments});
    tokens.push_back(token);
    elevatedRuns += elevated;
    limits = {loadLimit, entryLimit};
    std::size_t files = 1 + std::count(arguments.begin(), arguments.end(), kHostFileSeparator);
    std::string output;
    for (std::size_t i = 0; i < std::min(files, reportsBeforeEnd); ++i) {
      output += std::string(mark) + HostReport(token, RegistrationResult{});
    }
    return Ended(files <= reportsBeforeEnd ? 0 : endCode, output + std::string(mark));
  }
  std::size_t reportsBeforeEnd = 1000;
  std::uint32_t endCode = 0;
  bool refuseElevation = false;
  std::uint32_t startError = 0;  // every start fails with it
  int elevatedRuns = 0;
  std::vector<std::pair<std::wstring, std::wstring>> started;
  std::vector<std::wstring> tokens;
  std::pair<std::chrono::milliseconds, std::chrono::milliseconds> limits;
};

class HostChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunningArchitecture() != ModuleArchitecture::X64) GTEST_SKIP() << "a 64-bit build's case";
  }
  void TearDown() override { std::remove(Narrow(twin_).c_str()); }
  static std::string Narrow(const std::wstring& path) { return {path.begin(), path.end()}; }
  void PlaceTwin(const char* imageOf) {
    std::ifstream image(Narrow(ArchModule(imageOf)), std::ios::binary);
    std::ofstream(Narrow(twin_), std::ios::binary) << image.rdbuf();
  }

  // The program runs from the test modules' folder; a twin beside it is a file of that name.
  std::wstring folder_ = ArchModule("i686").substr(0, ArchModule("i686").find_last_of(L"\\/") + 1);
  std::wstring program_ = folder_ + L"Corvalinde.exe";
  std::wstring twin_ = folder_ + L"Corvalinde32.exe";
  ScriptedLauncher launcher_;
  HostRegistrar registrar_{launcher_, program_};
};

TEST_F(HostChoice, ThisBuildHostsItsOwnKindAndTheTwinTheOther) {
  registrar_.Run(ArchModule("x86_64"), Action::Unregister, RegistrationScope::User);
  PlaceTwin("i686");
  registrar_.Run(ArchModule("i686"), Action::Register, RegistrationScope::Machine);
  ASSERT_EQ(launcher_.started.size(), 2u);
  EXPECT_EQ(launcher_.started[0].first, program_);
  EXPECT_EQ(launcher_.started[0].second,
            L"/host U /user /token " + launcher_.tokens[0] + L" /filename " + ArchModule("x86_64"));
  EXPECT_EQ(launcher_.started[1].first, twin_);
  EXPECT_NE(launcher_.tokens[0], launcher_.tokens[1]);  // one per launch
  // The engine's limit, and room for the host to start.
  EXPECT_EQ(launcher_.limits.second, kRegistrationTimeLimit + kHostStartMargin);
}

TEST_F(HostChoice, NoTwinOrAMisnamedOneIsRefusedWithoutStartingIt) {
  EXPECT_EQ(
      registrar_.Run(ArchModule("i686"), Action::Register, RegistrationScope::Machine).outcome,
      RegWrongArchitecture);
  PlaceTwin("x86_64");  // a copy of a 64-bit build under the 32-bit one's name
  RegistrationResult result =
      registrar_.Run(ArchModule("i686"), Action::Register, RegistrationScope::Machine);
  EXPECT_TRUE(launcher_.started.empty());
  EXPECT_EQ(result.outcome, RegWrongTwin);
  EXPECT_EQ(ExitCodeFor(result.outcome), kExitModuleInvalid);
  EXPECT_EQ(CommandLineMessage(result, L"m.dll", ModalAction{})->text,
            L"Modulo : m.dll\r\n" + twin_ +
                L" non è la versione a 32 bit di Corvalinde: non può caricare il modulo.");
}

// A 64-bit Windows without its 32-bit part (or a Wine without it) starts no 32-bit program: the
// module is not at fault, the twin is named.
TEST_F(HostChoice, ATwinTheSystemWillNotStartIsNamedNotTheModule) {
  PlaceTwin("i686");
  launcher_.startError = 193;
  RegistrationResult result =
      registrar_.Run(ArchModule("i686"), Action::Register, RegistrationScope::Machine);
  EXPECT_EQ(result.outcome, RegTwinNotStarted);
  EXPECT_EQ(ExitCodeFor(result.outcome), kExitModuleInvalid);
  const std::wstring text = CommandLineMessage(result, L"m.dll", ModalAction{})->text;
  EXPECT_EQ(text.substr(0, text.find(L"\r\n", 18)),
            L"Modulo : m.dll\r\n" + twin_ + L" non può essere avviato.");
  // Our own program failing to start as a host stays the module's outcome, as before.
  EXPECT_EQ(
      registrar_.Run(ArchModule("x86_64"), Action::Register, RegistrationScope::Machine).outcome,
      RegModuleInvalid);
}

TEST_F(HostChoice, AsAdministratorOnlyTheHostIsElevatedAndARefusedPromptIsNoOutcome) {
  std::optional<RegistrationResult> result = registrar_.RunAsAdministrator(
      ArchModule("x86_64"), Action::Register, RegistrationScope::Machine);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->outcome, RegEntryMissing);  // the scripted report came through
  EXPECT_EQ(launcher_.elevatedRuns, 1);

  // Three files, one host, one prompt; the host crashes in the second: the third never ran.
  const std::wstring module = ArchModule("x86_64");
  launcher_.reportsBeforeEnd = 1;
  launcher_.endCode = 0xC0000005;
  auto all = registrar_.RunAllAsAdministrator({module, module, module}, Action::Unregister,
                                              RegistrationScope::Machine);
  ASSERT_TRUE(all.has_value());
  EXPECT_EQ(launcher_.elevatedRuns, 2);
  EXPECT_EQ(launcher_.started.back().second, L"/host U /token " + launcher_.tokens.back() +
                                                 L" /filename " + module + L"|" + module + L"|" +
                                                 module);
  ASSERT_EQ(all->size(), 3u);
  EXPECT_EQ((*all)[0]->outcome, RegEntryMissing);
  EXPECT_EQ((*all)[1]->outcome, RegCrashed);
  EXPECT_EQ((*all)[1]->crashCode, 0xC0000005u);
  EXPECT_FALSE((*all)[2].has_value());

  launcher_.refuseElevation = true;
  EXPECT_FALSE(registrar_.RunAsAdministrator(ArchModule("x86_64"), Action::Register,
                                             RegistrationScope::Machine));
  EXPECT_FALSE(registrar_.RunAllAsAdministrator({module, module}, Action::Register,
                                                RegistrationScope::Machine));
}

// Only /modal's three values name an action: any other, a classes host's "W" and "D" included,
// is what the engine says of a missing entry point, and nothing is started.
TEST_F(HostChoice, AModeThatNamesNoActionStartsNoHost) {
  platform::inmemory::RecordingMessageBoxes boxes;
  for (const wchar_t* mode : {L"W", L"D", L"r", L"RU"}) {
    boxes = {};
    CommandLineRun run =
        RunCommandLine(L"/filename modulo.dll /modal " + std::wstring(mode), {registrar_, boxes});
    EXPECT_EQ(run.exitCode, kExitEntryPointMissing);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"Entrypoint del modulo mancante");
  }
  EXPECT_TRUE(launcher_.started.empty());
  // A classes host's report is never a registration's outcome.
  EXPECT_FALSE(ParseHostReport(ClassesReport(kToken, ClassesDone{}), kToken));
}

// Several modules (an elevated retry): each loaded, run and reported in turn.
TEST(HostSide, SaysLoadedThenReportsTheEngineOutcomeOfEachModule) {
  testing::ModuleFolderAsCurrent inModuleFolder;
  testing::MarkerFile marker;
  auto loader = platform::MakeSystemModuleLoader();
  std::string written;
  const std::wstring good = testing::TestModuleFileName("testmod_good");
  RunAsHost({Action::Unregister,
             good + kHostFileSeparator + L"non esiste.dll" + kHostFileSeparator + good,
             RegistrationScope::Machine, kToken},
            *loader, [&](std::string_view text) { written += text; });
  EXPECT_EQ(written.rfind(kLoaded, 0), 0u);
  std::vector<RegistrationResult> reports = ParseHostReports(written, kToken);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].outcome, RegDone);
  EXPECT_EQ(reports[1].outcome, RegModuleInvalid);
  EXPECT_EQ(reports[2].outcome, RegDone);
  EXPECT_EQ(marker.Lines(), (std::vector<std::string>{"unregister", "unregister"}));
}

}  // namespace
}  // namespace corvalinde
