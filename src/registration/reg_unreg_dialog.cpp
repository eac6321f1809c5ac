#include "registration/reg_unreg_dialog.h"

#include "platform/path_parts.h"
#include "registration/architecture_handoff.h"
#include "registration/capture_report.h"
#include "registration/capture_to_file.h"
#include "registration/dependency_diagnosis.h"
#include "registration/outcome_table.h"
#include "registration/user_scope_scratch.h"
#include "registration/verification_report.h"
#include "common/blanks.h"
#include "common/letter_case.h"
#include "common/texts.h"

#include <algorithm>

namespace corvalinde {
namespace {

// A summary line as one line of a list: its line breaks become blanks.
std::wstring OneLine(std::wstring line) {
  while (line.size() >= 2 && line.compare(line.size() - 2, 2, texts::kCrLf) == 0) {
    line.resize(line.size() - 2);
  }
  for (std::size_t at = line.find(texts::kCrLf); at != std::wstring::npos;
       at = line.find(texts::kCrLf, at)) {
    line.replace(at, 2, L" ");
  }
  return line;
}

}  // namespace

std::wstring ResultsAsText(const std::vector<ResultRow>& rows) {
  std::wstring text = std::wstring(texts::kResultsFile) + L"\t" +
                      std::wstring(texts::kResultsOutcome) + L"\t" +
                      std::wstring(texts::kResultsDetail) + std::wstring(texts::kCrLf);
  for (const ResultRow& row : rows) {
    text += row.file + L"\t" + row.outcome + L"\t" + row.detail + std::wstring(texts::kCrLf);
  }
  return text;
}

std::vector<std::wstring> SplitFileList(std::wstring_view text) {
  std::vector<std::wstring> items;
  std::wstring current;
  for (wchar_t c : text) {
    if (c != L';') {
      current.push_back(c);
    } else if (!IsBlank(current)) {
      items.push_back(std::move(current));
      current.clear();
    }
    // A ";" after nothing but blanks is dropped, and the blanks stay with the next name.
  }
  if (!IsBlank(current)) items.push_back(std::move(current));
  return items;
}

std::vector<std::wstring> RegUnregDialog::CaptureFiles(const std::vector<std::wstring>& files) {
  std::wstring first = dialogs_
                           .SaveFile({std::wstring(texts::kCaptureFilter), 0,
                                      CaptureFileFor(std::wstring(TrimBlanks(files.front())), L""),
                                      std::wstring(texts::kCaptureTitle)})
                           .path;
  if (first.empty()) return {};
  const std::wstring folder = platform::FolderOf(first);
  // The others in the first one's format.
  std::wstring extension = L".reg";
  if (CaptureFormatOf(first)) extension = platform::ExtensionOf(first);
  std::vector<std::wstring> regFiles{first};
  for (std::size_t i = 1; i < files.size(); ++i) {
    std::wstring name = CaptureFileFor(std::wstring(TrimBlanks(files[i])), folder, extension);
    // Two modules of one name from different folders (file names ignore letter case): the
    // second gets a number.
    auto taken = [&](const std::wstring& candidate) {
      return std::any_of(regFiles.begin(), regFiles.end(), [&](const std::wstring& regFile) {
        return ToUpperText(regFile) == ToUpperText(candidate);
      });
    };
    std::wstring unique = name;
    for (int n = 2; taken(unique); ++n) {
      unique = name.substr(0, name.size() - extension.size()) + L" (" + std::to_wstring(n) + L")" +
               extension;
    }
    regFiles.push_back(unique);
  }
  return regFiles;
}

void RegUnregDialog::Avvia() {
  std::vector<std::wstring> files = SplitFileList(fileList);
  if (files.empty()) {
    boxes_.Show({std::wstring(texts::kFileNameMissing), platform::MessageIcon::Exclamation,
                 platform::MessageButtons::Ok, std::wstring(texts::kTitleError)});
    return;
  }
  const bool capturing = capture && registry_;
  const bool verifying = verify && registry_ && !capturing;
  const std::vector<std::wstring> regFiles =
      capturing ? CaptureFiles(files) : std::vector<std::wstring>{};
  if (capturing && regFiles.empty()) return;  // the user cancelled the save dialog
  const Action action = unregister && !capturing ? Action::Unregister : Action::Register;
  const RegistrationScope scope = perUser ? RegistrationScope::User : RegistrationScope::Machine;
  std::vector<FileOutcome> outcomes;
  for (std::size_t i = 0; i < files.size(); ++i) {
    // "a.dll; b.dll" is how people type lists: the blank after ";" belongs to no file name
    // (Windows drops trailing blanks itself, and a leading one would make the path relative).
    FileOutcome outcome{std::wstring(TrimBlanks(files[i]))};
    RegistrationResult result;
    if (capturing) {
      CaptureResult captured = CaptureToFile(registrar_, *registry_, outcome.file, regFiles[i]);
      result = captured.registration;
      outcome.line = CaptureSummaryLine(captured, outcome.file);
    } else if (verifying) {
      Verification verification = VerifyModule(registrar_, *registry_, outcome.file, scope);
      result = verification.registration;
      outcome.line = VerifySummaryLine(verification, outcome.file);
      outcome.findings = FindingLines(verification);
      outcome.outcome = VerifyResultWord(verification);
    } else {
      result = registrar_.Run(outcome.file, action, scope);
      outcome.line = SummaryLine(result, outcome.file);
    }
    outcome.line += DependencyLines(result.dependencies);
    outcome.done = result.outcome == RegDone;
    outcome.refused = !capturing && !verifying && !elevated_ &&
                      scope == RegistrationScope::Machine && NeedsAdministrator(result);
    outcomes.push_back(std::move(outcome));
  }
  std::vector<std::wstring> refused;
  for (const FileOutcome& outcome : outcomes) {
    if (outcome.refused) refused.push_back(outcome.file);
  }
  if (!Report(outcomes, !refused.empty()) || refused.empty()) return;
  std::optional<Registrar::RetriedOutcomes> retried =
      registrar_.RunAllAsAdministrator(refused, action, scope);
  if (!retried) return;  // the elevation prompt was refused: nothing more to say
  // Every file's outcome: the retried ones' as they are now, a file the retry never reached
  // as it was.
  std::size_t k = 0;
  for (FileOutcome& outcome : outcomes) {
    if (!outcome.refused) continue;
    if (const auto& result = (*retried)[k]) {
      outcome.line = SummaryLine(*result, outcome.file) + DependencyLines(result->dependencies);
      outcome.done = result->outcome == RegDone;
    }
    outcome.refused = false;
    ++k;
  }
  Report(outcomes, false);
}

bool RegUnregDialog::Report(const std::vector<FileOutcome>& outcomes, bool offerRetry) {
  std::wstring summary;
  std::vector<ResultRow> rows;
  std::size_t done = 0;
  bool findings = false;
  for (const FileOutcome& outcome : outcomes) {
    const std::wstring line =
        (offerRetry && outcome.refused ? std::wstring(texts::kNeedsAdministratorMark) : L"") +
        outcome.line;
    summary += line;
    done += outcome.done;
    std::wstring_view word = !outcome.outcome.empty() ? outcome.outcome
                             : outcome.done           ? texts::kResultDone
                                                      : texts::kResultFailed;
    rows.push_back({outcome.file, std::wstring(word), OneLine(line)});
    for (const std::wstring& finding : outcome.findings)
      rows.push_back({outcome.file, L"", finding});
    findings = findings || !outcome.findings.empty();
  }
  const std::wstring question = offerRetry ? std::wstring(texts::kAskElevationForMarked) : L"";
  // Each file's lines end in CRLF; the question adds a blank line and its own.
  const std::size_t lines =
      static_cast<std::size_t>(std::count(summary.begin(), summary.end(), L'\n')) +
      (offerRetry ? 2 : 0);
  // What a verification found is listed in full there, where it is read.
  if (results_ && (lines > mostBoxLines_ || findings)) {
    return results_->Show(
        rows,
        std::to_wstring(done) + std::wstring(texts::kTallyDone) +
            std::to_wstring(outcomes.size() - done) + std::wstring(texts::kTallyFailed),
        std::wstring(TrimBlanks(OneLine(question))), std::wstring(texts::kRetryAsAdministrator));
  }
  if (!offerRetry) {
    boxes_.Show({summary, platform::MessageIcon::Information, platform::MessageButtons::Ok,
                 std::wstring(texts::kTitleInfo)});
    return false;
  }
  return boxes_.Show({summary + question, platform::MessageIcon::Exclamation,
                      platform::MessageButtons::YesNo, std::wstring(texts::kTitleInfo)}) ==
         platform::MessageAnswer::Yes;
}

void RegUnregDialog::Cerca() {
  std::wstring chosen =
      dialogs_.OpenFile({std::wstring(texts::kBrowseFilter), platform::kOfnFileMustExist, L"",
                         std::wstring(texts::kBrowseTitle)});
  if (!chosen.empty()) fileList = chosen + L";";
}

void RegUnregDialog::Drop(const std::vector<std::wstring>& paths) {
  fileList.clear();
  for (const std::wstring& path : paths) fileList += path + L";";
}

}  // namespace corvalinde
