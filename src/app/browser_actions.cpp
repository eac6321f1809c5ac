#include "app/browser_actions.h"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

#include "app/command_line_run.h"
#include "browser/catalogue_export.h"
#include "browser/cleanup_messages.h"
#include "browser/orphan_removal.h"
#include "common/join.h"
#include "common/texts.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform/system_errors.h"
#include "registration/classes_host.h"
#include "registration/outcome_table.h"
#include "registration/verification_report.h"

namespace corvalinde {
namespace {

platform::MessageIcon IconFor(const ClassesDone& done) {
  return done.error ? platform::MessageIcon::Error : platform::MessageIcon::Information;
}

constexpr std::size_t kExportHtml = 1;  // the second type of the export's filter

}  // namespace

void BrowserActions::Tell(const std::wstring& text, platform::MessageIcon icon) {
  services_.boxes.Show(
      {text, icon, platform::MessageButtons::Ok, std::wstring(texts::kProgramTitle)});
}

bool BrowserActions::Ask(const std::wstring& text) {
  return services_.boxes.Show({text, platform::MessageIcon::Exclamation,
                               platform::MessageButtons::YesNo,
                               std::wstring(texts::kProgramTitle)}) == platform::MessageAnswer::Yes;
}

bool BrowserActions::RemoveOrphans(const ModuleCatalogue& catalogue,
                                   const std::vector<std::size_t>& rows) {
  platform::Registry& registry = services_.registry;
  const std::wstring activity(texts::kRemovingOrphans);
  // Read here: the catalogue takes the file checks' batches while the plan is made.
  std::vector<OrphanClass> orphans = OrphansAmong(catalogue, rows);
  RemovalPlan plan;
  services_.launcher.RunWhileWaiting(activity, [&] {
    // Every class and its files looked at again, as they are now: nothing the list remembers.
    RegisteredFiles files(services_.fileSearch());
    plan = PlanRemoval(registry, orphans, files);
  });
  if (!plan.classes) {
    Tell(NothingToRemove(plan), platform::MessageIcon::Information);
    return false;
  }
  if (!Ask(RemovalQuestion(plan))) return false;
  Backup backup;
  services_.launcher.RunWhileWaiting(activity, [&] {
    backup = WriteBackup(registry, plan, services_.backupFolder, services_.now());
  });
  if (!backup.written) {
    Tell(BackupFailure(backup), platform::MessageIcon::Error);
    return false;
  }
  // What was just written reads back: the removal takes exactly the keys the copy holds.
  auto file = ReadClassesFile(backup.bytes);
  if (auto* error = std::get_if<RegFileError>(&file)) {
    Tell(RemovalReport(backup, {*error}), platform::MessageIcon::Error);
    return false;
  }
  std::optional<ClassesDone> done =
      ApplyClassesFile(ClassesAction::Remove, std::get<ClassesFile>(file), backup.path, registry,
                       {services_.launcher, services_.program, services_.elevated, activity});
  if (!done) {
    Tell(std::wstring(texts::kNothingRemoved), platform::MessageIcon::Information);
    return false;
  }
  Tell(RemovalReport(backup, *done), IconFor(*done));
  return true;
}

bool BrowserActions::Restore() {
  const std::wstring path = services_.dialogs.OpenFile(
      {std::wstring(texts::kRestoreFilter), platform::kOfnFileMustExist | platform::kOfnNoChangeDir,
       L"", std::wstring(texts::kRestoreTitle)});
  if (path.empty()) return false;
  std::optional<std::string> bytes = platform::ReadFileStart(path, kLargestRegFile + 1);
  if (!bytes || bytes->size() > kLargestRegFile) {
    Tell(RestoreRefusal(path, std::nullopt), platform::MessageIcon::Error);
    return false;
  }
  auto file = ReadClassesFile(*bytes);
  if (auto* error = std::get_if<RegFileError>(&file)) {
    Tell(RestoreRefusal(path, *error), platform::MessageIcon::Error);
    return false;
  }
  if (!Ask(RestoreQuestion(path, std::get<ClassesFile>(file)))) return false;
  std::optional<ClassesDone> done = ApplyClassesFile(
      ClassesAction::Restore, std::get<ClassesFile>(file), path, services_.registry,
      {services_.launcher, services_.program, services_.elevated,
       std::wstring(texts::kRestoringFrom) + path});
  if (!done) {
    Tell(std::wstring(texts::kNothingWritten), platform::MessageIcon::Information);
    return false;
  }
  Tell(RestoreReport(path, *done), IconFor(*done));
  return true;
}

bool BrowserActions::Unregister(std::wstring file) {
  if (!Ask(std::wstring(texts::kAskUnregister) + file + L"?")) return false;
  RegistrationResult result =
      services_.registrar.Run(file, Action::Unregister, RegistrationScope::Machine);
  if (auto message = CommandLineMessage(result, file, ModalAction{Action::Unregister})) {
    services_.boxes.Show(*message);
  }
  return true;
}

bool BrowserActions::ShowVerification(const Verification& verification, const std::wstring& file,
                                      bool offer) {
  platform::MessageRequest message = VerifyMessage(verification, file);
  const std::vector<std::wstring> findings = FindingLines(verification);
  const auto lines =
      static_cast<std::size_t>(std::count(message.text.begin(), message.text.end(), L'\n')) + 1 +
      (offer ? 2 : 0);
  if (services_.results && lines > services_.mostBoxLines) {
    const std::wstring summary = VerifySummaryLine(verification, file);
    const std::wstring firstLine = summary.substr(0, summary.find(texts::kCrLf));
    std::vector<ResultRow> rows{{file, std::wstring(VerifyResultWord(verification)), firstLine}};
    for (const std::wstring& finding : findings) rows.push_back({file, L"", finding});
    return services_.results->Show(rows, firstLine,
                                   offer ? std::wstring(texts::kAskRegisterAgain) : L"",
                                   std::wstring(texts::kRegisterAgain));
  }
  if (!offer) {
    services_.boxes.Show(message);
    return false;
  }
  message.text += Join({texts::kCrLf, texts::kCrLf, texts::kAskRegisterAgain});
  message.icon = platform::MessageIcon::Exclamation;
  message.buttons = platform::MessageButtons::YesNo;
  return services_.boxes.Show(message) == platform::MessageAnswer::Yes;
}

bool BrowserActions::Verify(std::wstring file, RegistrationScope scope) {
  Verification verification = VerifyModule(services_.registrar, services_.registry, file, scope);
  if (!ShowVerification(verification, file,
                        verification.registration.outcome == RegVerifyDiffers)) {
    return false;
  }
  RegistrationResult result = services_.registrar.Run(file, Action::Register, scope);
  if (!services_.elevated && scope == RegistrationScope::Machine && NeedsAdministrator(result)) {
    std::optional<RegistrationResult> elevated =
        services_.registrar.RunAsAdministrator(file, Action::Register, scope);
    if (!elevated) return false;  // the prompt refused: nothing was done
    result = *elevated;
  }
  if (result.outcome != RegDone) {
    services_.boxes.Show(FailureMessage(result, file));
    return true;
  }
  ShowVerification(VerifyModule(services_.registrar, services_.registry, file, scope), file, false);
  return true;
}

void BrowserActions::ExportShownRows(const ModuleCatalogue& catalogue) {
  platform::SavedFile saved = services_.dialogs.SaveFile(
      {std::wstring(texts::kExportFilter), 0, L"", std::wstring(texts::kExportTitle)});
  if (saved.path.empty()) return;
  const bool html = saved.type == kExportHtml;
  if (platform::ExtensionOf(saved.path).empty()) saved.path += html ? L".html" : L".csv";
  std::string content =
      html ? RowsAsHtml(catalogue, catalogue.Shown()) : RowsAsCsv(catalogue, catalogue.Shown());
  std::uint32_t error = 0;
  if (!platform::ReplaceFileContent(saved.path, content, &error)) {
    services_.boxes.Show({std::wstring(texts::kExportFailed) + saved.path +
                              std::wstring(texts::kCrLf) + platform::SystemErrorText(error),
                          platform::MessageIcon::Error, platform::MessageButtons::Ok,
                          std::wstring(texts::kTitleError)});
  }
}

}  // namespace corvalinde
