#include "app/command_line_run.h"

#include "registration/capture_report.h"
#include "app/command_line_args.h"
#include "app/console_messages.h"
#include "app/regsvr32_syntax.h"
#include "registration/exit_codes.h"
#include "app/module_check.h"
#include "common/join.h"
#include "common/texts.h"
#include "registration/host_protocol.h"
#include "registration/outcome_table.h"
#include "registration/user_scope_scratch.h"
#include "registration/verification_report.h"

namespace corvalinde {
namespace {

using platform::MessageIcon;
using platform::MessageRequest;

MessageRequest Error(std::wstring text) {
  return MessageRequest{std::move(text), MessageIcon::Error, platform::MessageButtons::Ok,
                        std::wstring(texts::kTitleError)};
}

}  // namespace

std::optional<MessageRequest> CommandLineMessage(const RegistrationResult& result,
                                                 const std::wstring& fileName, ModalAction mode,
                                                 bool installAlone) {
  if (result.outcome != RegDone) return FailureMessage(result, fileName);
  if (mode.quiet) return std::nullopt;
  std::wstring_view done = installAlone                      ? texts::kInstallOk
                           : mode.action == Action::Register ? texts::kRegisteredOk
                                                             : texts::kUnregisteredOk;
  return MessageRequest{
      Join({texts::kModuleLabel, fileName, texts::kCrLf, done, NotAppliedLines(result)}),
      MessageIcon::Information, platform::MessageButtons::Ok,
      std::wstring(texts::kTitleRegistered)};
}

namespace {

// regsvr32's way: every module in turn, each in its own host with its own limit; the exit code
// is the last failure's, as Wine's regsvr32 gives it.
CommandLineRun RunRegsvr32Command(const std::optional<Regsvr32Command>& command,
                                  Registrar& registrar, platform::MessageBoxes& boxes) {
  if (!command) {
    boxes.Show(Error(std::wstring(texts::kUsage)));
    return CommandLineRun{false, kExitInvalidParameters};
  }
  const ModalAction mode{command->unregister ? Action::Unregister : Action::Register};
  if (command->install)
    registrar.SetInstallStep(InstallStep{*command->install, !command->skipEntryPoint});
  const bool installAlone = command->install && command->skipEntryPoint;
  int exitCode = kExitSuccess;
  for (const std::wstring& module : command->modules) {
    RegistrationResult result = registrar.Run(module, mode.action, RegistrationScope::Machine);
    if (auto message = CommandLineMessage(result, module, mode, installAlone)) boxes.Show(*message);
    if (int code = ExitCodeFor(result.outcome)) exitCode = code;
  }
  return CommandLineRun{false, exitCode};
}

}  // namespace

bool IsSilentCommandLine(std::wstring_view commandText) {
  // A command line regsvr32's syntax cannot read is refused in Corvalinde's words, silently
  // when it says so.
  std::optional<Regsvr32Command> command;
  if (UsesRegsvr32Syntax(commandText)) command = ParseRegsvr32Command(commandText);
  return command ? command->silent : GetSilentArg(commandText);
}

CommandLineRun RunCommandLine(std::wstring_view commandText, const CommandLineServices& services) {
  const bool regsvr32Syntax = UsesRegsvr32Syntax(commandText);
  std::optional<Regsvr32Command> regsvr32;
  if (regsvr32Syntax) regsvr32 = ParseRegsvr32Command(commandText);
  const bool silent = IsSilentCommandLine(commandText);
  ConsoleMessages console(services.console);
  platform::MessageBoxes& boxes = silent ? console : services.boxes;
  services.registrar.SetShowsProgress(!silent);
  if (regsvr32Syntax) return RunRegsvr32Command(regsvr32, services.registrar, boxes);
  std::wstring fileName = GetFilenameArg(commandText);
  if (GetCheckArg(commandText) && !fileName.empty() && !NamesHostSwitch(commandText)) {
    ModuleCheck check = CheckModule(fileName);
    if (services.console && !silent) {
      services.console->Write(check.text + std::wstring(texts::kCrLf));
    }
    boxes.Show({check.text,
                check.exitCode == kExitSuccess ? MessageIcon::Information : MessageIcon::Error,
                platform::MessageButtons::Ok, std::wstring(texts::kTitleCheck)});
    return CommandLineRun{GetVisibleArg(commandText), check.exitCode};
  }
  const std::wstring modal = GetModalArg(commandText);
  const bool verify = GetVerifyArg(commandText);
  // A verification takes no action: with one, or with a capture, it says what it does not.
  if ((modal.empty() != verify) || fileName.empty() || NamesHostSwitch(commandText) ||
      (verify && (GetCaptureArg(commandText) || !services.registry))) {
    boxes.Show(Error(std::wstring(texts::kUsage)));
    return CommandLineRun{false, kExitInvalidParameters};
  }
  const std::optional<ModalAction> mode = ReadModalAction(modal);
  bool visible = GetVisibleArg(commandText);
  if (std::optional<std::chrono::seconds> limit = GetTimeoutArg(commandText)) {
    if (limit->count() == 0) {
      boxes.Show(Error(std::wstring(texts::kUsage)));
      return CommandLineRun{false, kExitInvalidParameters};
    }
    services.registrar.SetTimeLimit(*limit);
  }

  RegistrationScope scope =
      GetUserArg(commandText) ? RegistrationScope::User : RegistrationScope::Machine;
  if (verify) {
    Verification verification =
        VerifyModule(services.registrar, *services.registry, fileName, scope);
    boxes.Show(VerifyMessage(verification, fileName));
    return CommandLineRun{visible, ExitCodeFor(verification.registration.outcome)};
  }

  if (std::optional<std::wstring> regFile = GetCaptureArg(commandText)) {
    // Unregistering removes keys: there is nothing to capture; and a capture writes to no
    // registry at all, the user's or the machine's.
    if (!CaptureFormatOf(*regFile) || !mode || mode->action != Action::Register ||
        GetUserArg(commandText) || !services.registry) {
      boxes.Show(Error(std::wstring(texts::kUsage)));
      return CommandLineRun{false, kExitInvalidParameters};
    }
    CaptureResult capture =
        CaptureToFile(services.registrar, *services.registry, fileName, *regFile);
    boxes.Show(CaptureMessage(capture, fileName));
    return CommandLineRun{visible, ExitCodeFor(capture.registration.outcome)};
  }

  // What the engine would say of a value that names no action, before anything is started.
  if (!mode) {
    const RegistrationResult nothingRun;  // RegEntryMissing
    boxes.Show(*CommandLineMessage(nothingRun, fileName, ModalAction{}));
    return CommandLineRun{visible, ExitCodeFor(nothingRun.outcome)};
  }
  RegistrationResult result = services.registrar.Run(fileName, mode->action, scope);
  if (!services.elevated && !silent && !mode->quiet && scope == RegistrationScope::Machine &&
      NeedsAdministrator(result)) {
    MessageRequest question = *CommandLineMessage(result, fileName, *mode);
    question.text += texts::kAskElevation;
    question.icon = MessageIcon::Exclamation;
    question.buttons = platform::MessageButtons::YesNo;
    if (boxes.Show(question) != platform::MessageAnswer::Yes) {
      return CommandLineRun{visible, kExitEntryPointFailed};
    }
    std::optional<RegistrationResult> elevated =
        services.registrar.RunAsAdministrator(fileName, mode->action, scope);
    if (!elevated) return CommandLineRun{visible, kExitEntryPointFailed};
    result = *elevated;
  }
  if (auto message = CommandLineMessage(result, fileName, *mode)) boxes.Show(*message);
  return CommandLineRun{visible, ExitCodeFor(result.outcome)};
}

}  // namespace corvalinde
