#include "registration/verification_report.h"

#include "common/first_lines.h"
#include "common/join.h"
#include "common/texts.h"
#include "registration/capture_to_file.h"
#include "registration/outcome_table.h"

namespace corvalinde {
namespace {

constexpr std::size_t kMostFindingsInABox = 20;

std::wstring FindingText(const Finding& finding) {
  switch (finding.kind) {
    case FindingKind::MissingKey:
      return Join({texts::kVerifyMissingKey, finding.key});
    case FindingKind::MissingValue:
      return Join({texts::kVerifyMissingValue, finding.key, L" ", finding.value});
    case FindingKind::DifferentValue:
      return Join({texts::kVerifyValueDiffers, finding.key, L" ", finding.value,
                   texts::kVerifyFound, finding.found, texts::kVerifyExpected, finding.expected});
  }
  return {};
}

std::vector<std::wstring> Notes(const Verification& verification) {
  std::vector<std::wstring> notes;
  for (const std::wstring& file : verification.inItsPlace) {
    notes.push_back(Join({texts::kVerifyInItsPlace, file}));
  }
  if (verification.views == ClassViews::Only32) notes.emplace_back(texts::kVerifyOnly32);
  if (verification.views == ClassViews::Only64) notes.emplace_back(texts::kVerifyOnly64);
  return notes;
}

std::wstring NoteLines(const Verification& verification) {
  std::wstring lines;
  for (const std::wstring& note : Notes(verification)) lines += Join({texts::kCrLf, note});
  return lines;
}

std::wstring OwnClassesNote(const RegistrationResult& result) {
  return UsesItsOwnClasses(result) ? Join({texts::kCrLf, texts::kCaptureOwnClasses})
                                   : std::wstring();
}

}  // namespace

platform::MessageRequest VerifyMessage(const Verification& verification, const std::wstring& file) {
  const RegistrationResult& result = verification.registration;
  if (result.outcome == RegDone) {
    return {Join({texts::kModuleLabel, file, texts::kCrLf, texts::kVerifyComplete,
                  std::to_wstring(verification.keys), texts::kVerifyKeysAnd,
                  std::to_wstring(verification.values), texts::kVerifyValuesAsWritten,
                  NoteLines(verification)}),
            platform::MessageIcon::Information, platform::MessageButtons::Ok,
            std::wstring(texts::kTitleVerify)};
  }
  if (result.outcome == RegVerifyDiffers) {
    std::vector<std::wstring> findings;
    for (const Finding& finding : verification.findings) findings.push_back(FindingText(finding));
    return {Join({texts::kModuleLabel, file, texts::kCrLf, texts::kVerifyDiffers,
                  FirstLines(findings, kMostFindingsInABox, L"", texts::kVerifyAndOthers),
                  NoteLines(verification)}),
            platform::MessageIcon::Error, platform::MessageButtons::Ok,
            std::wstring(texts::kTitleVerify)};
  }
  platform::MessageRequest message = FailureMessage(result, file);
  message.text += OwnClassesNote(result);
  return message;
}

std::wstring VerifySummaryLine(const Verification& verification, const std::wstring& file) {
  const RegistrationResult& result = verification.registration;
  if (result.outcome == RegDone) {
    return Join({texts::kLineVerify, file, L": ", texts::kResultComplete, texts::kCrLf});
  }
  if (result.outcome == RegVerifyDiffers) {
    return Join({texts::kLineVerify, file, texts::kLineVerifyFindings,
                 std::to_wstring(verification.findings.size()), texts::kCrLf});
  }
  std::wstring line = SummaryLine(result, file);
  if (UsesItsOwnClasses(result)) line += Join({texts::kCaptureOwnClasses, texts::kCrLf});
  return line;
}

std::wstring_view VerifyResultWord(const Verification& verification) {
  switch (verification.registration.outcome) {
    case RegDone:
      return texts::kResultComplete;
    case RegVerifyDiffers:
      return texts::kResultIncomplete;
    default:
      return texts::kResultFailed;
  }
}

std::vector<std::wstring> FindingLines(const Verification& verification) {
  std::vector<std::wstring> lines;
  for (const Finding& finding : verification.findings) lines.push_back(FindingText(finding));
  for (std::wstring& note : Notes(verification)) lines.push_back(std::move(note));
  return lines;
}

}  // namespace corvalinde
