#include "registration/outcome_table.h"

#include <array>

#include "common/error_text.h"
#include "common/join.h"
#include "common/texts.h"
#include "registration/architecture_handoff.h"
#include "registration/dependency_diagnosis.h"
#include "registration/exit_codes.h"
#include "registration/user_scope_scratch.h"

namespace corvalinde {
namespace {

using D = OutcomeDetail;

// In the order of RegOutcome, from RegDone (-1): each row names its outcome, and the build
// checks the order.
constexpr std::array<OutcomeReport, 15> kReports = {{
    {.outcome = RegDone,
     .exitCode = kExitSuccess,
     .lineLabel = texts::kLineDone,
     .detail = D::NotApplied},
    {.outcome = RegEntryMissing,
     .exitCode = kExitEntryPointMissing,
     .messageWords = texts::kEntryPointMissing,
     .lineLabel = texts::kLineEntryMissing},
    {.outcome = RegTimeout,
     .exitCode = kExitTimeout,
     .messageWords = texts::kTimeout,
     .lineLabel = texts::kLineTimeout},
    {.outcome = RegModuleInvalid,
     .exitCode = kExitModuleInvalid,
     .messageLabel = texts::kModuleInvalidLabel,
     .messageWords = texts::kModuleInvalid,
     .dependencies = true,
     .lineLabel = texts::kLineInvalidLabel,
     .lineWords = texts::kLineInvalid,
     .detail = D::LoadReason},
    {.outcome = RegEntryFailed,
     .exitCode = kExitEntryPointFailed,
     .messageLabel = texts::kModuleLabel,
     .messageWords = texts::kOperationFailed,
     .lineLabel = texts::kLineFailed,
     .lineWords = texts::kLineFailedCode,
     .detail = D::EntryStatus},
    {.outcome = RegWrongArchitecture,
     .exitCode = kExitModuleInvalid,
     .messageLabel = texts::kModuleLabel,
     .dependencies = true,
     .lineLabel = texts::kLineInvalidLabel,
     .lineWords = texts::kLineWrongArchitecture,
     .detail = D::Architecture},
    {.outcome = RegCrashed,
     .exitCode = kExitCrashed,
     .messageLabel = texts::kModuleLabel,
     .messageWords = texts::kCrashed,
     .dependencies = true,
     .lineLabel = texts::kLineFailed,
     .lineWords = texts::kLineCrashedCode,
     .detail = D::CrashCode},
    {.outcome = RegWrongTwin,
     .exitCode = kExitModuleInvalid,
     .messageLabel = texts::kModuleLabel,
     .lineLabel = texts::kLineInvalidLabel,
     .lineWords = L": ",
     .detail = D::Twin},
    {.outcome = RegScopeFailed,
     .exitCode = kExitUserScopeFailed,
     .messageLabel = texts::kModuleLabel,
     .messageWords = texts::kUserScopeFailed,
     .lineLabel = texts::kLineInvalidLabel,
     .lineWords = texts::kLineUserScopeFailed,
     .detail = D::LoadReason},
    {.outcome = RegCaptureFailed,
     .exitCode = kExitCaptureFailed,
     .messageLabel = texts::kModuleLabel,
     .messageWords = texts::kCaptureFailed,
     .lineLabel = texts::kLineFailed,
     .lineWords = texts::kLineCaptureFailed,
     .detail = D::LoadReason},
    // Refused before anything ran, like a switch that does not apply.
    {.outcome = RegCaptureProgram,
     .exitCode = kExitInvalidParameters,
     .messageLabel = texts::kModuleLabel,
     .messageWords = texts::kCaptureProgram,
     .lineLabel = texts::kLineFailed,
     .lineWords = L": ",
     .detail = D::Words},
    {.outcome = RegCaptureStopped,
     .exitCode = kExitCaptureFailed,
     .messageLabel = texts::kModuleLabel,
     .lineLabel = texts::kLineFailed,
     .lineWords = L": ",
     .detail = D::CaptureStop},
    {.outcome = RegCaptureFileFailed,
     .exitCode = kExitCaptureFailed,
     .messageLabel = texts::kModuleLabel,
     .lineLabel = texts::kLineFailed,
     .lineWords = L": ",
     .detail = D::CaptureFile},
    // The findings follow (verification_report.h).
    {.outcome = RegVerifyDiffers,
     .exitCode = kExitRegistrationDiffers,
     .messageLabel = texts::kModuleLabel,
     .messageWords = texts::kVerifyDiffers,
     .lineLabel = texts::kLineVerify,
     .lineWords = texts::kLineVerifyFindings},
    {.outcome = RegTwinNotStarted,
     .exitCode = kExitModuleInvalid,
     .messageLabel = texts::kModuleLabel,
     .lineLabel = texts::kLineInvalidLabel,
     .lineWords = L": ",
     .detail = D::TwinStart},
}};

constexpr bool InOutcomeOrder() {
  for (std::size_t i = 0; i < kReports.size(); ++i) {
    if (static_cast<std::int32_t>(kReports[i].outcome) != static_cast<std::int32_t>(i) - 1) {
      return false;
    }
  }
  return true;
}
static_assert(InOutcomeOrder(), "a row of the outcome table out of its place");

enum class Where { Message, Line };

std::wstring DetailText(const RegistrationResult& result, const std::wstring& file, Where where) {
  switch (ReportOf(result.outcome).detail) {
    case D::None:
      return {};
    case D::NotApplied:
      return NotAppliedLines(result);
    case D::LoadReason: {
      // A reason the system has no words for (a type library's HRESULT, under Wine) still
      // says which it is.
      std::wstring reason = ReasonLine(result.loadError, file);
      if (reason.empty() && result.loadError) {
        reason = std::wstring(texts::kCrLf) + std::wstring(texts::kLineFailedCode).substr(1) +
                 Hex8(static_cast<std::int32_t>(result.loadError)) + L")";
      }
      return reason;
    }
    case D::EntryStatus:
      // A server program's exit code is no HRESULT: the system's words would not be its.
      return Hex8(result.entryStatus) + L")" +
             (result.entryStatus < 0
                  ? ReasonLine(static_cast<std::uint32_t>(result.entryStatus), file)
                  : std::wstring());
    case D::CrashCode:
      return Hex8(static_cast<std::int32_t>(result.crashCode)) + L")";
    case D::Architecture:
      return where == Where::Message ? WrongArchitectureText(result.architecture)
                                     : WrongArchitectureLineEnd(result.architecture);
    case D::Twin:
      return WrongTwinText(result.subject, result.architecture);
    case D::TwinStart:
      return Join(
          {result.subject, texts::kTwinNotStarted, ReasonLine(result.loadError, result.subject)});
    case D::Words:
      return where == Where::Line ? std::wstring(ReportOf(result.outcome).messageWords)
                                  : std::wstring();
    case D::CaptureStop: {
      std::wstring_view why = result.stop == RegFileStop::Link      ? texts::kCaptureLink
                              : result.stop == RegFileStop::TooDeep ? texts::kCaptureTooDeep
                                                                    : texts::kCaptureTooLarge;
      return Join({why, result.subject,
                   where == Where::Message ? texts::kCrLf : std::wstring_view(),
                   where == Where::Message ? texts::kCaptureNothingWritten : std::wstring_view()});
    }
    case D::CaptureFile:
      return Join({texts::kCaptureFileFailed, result.subject,
                   ReasonLine(result.loadError, result.subject)});
  }
  return {};
}

}  // namespace

const OutcomeReport& ReportOf(RegOutcome outcome) {
  auto index = static_cast<std::size_t>(static_cast<std::int32_t>(outcome) + 1);
  // An outcome no table row knows reads as a missing entry point, as it always has.
  return kReports[index < kReports.size() ? index : 1];
}

int ExitCodeFor(RegOutcome outcome) {
  return ReportOf(outcome).exitCode;
}

platform::MessageRequest FailureMessage(const RegistrationResult& result,
                                        const std::wstring& fileName) {
  const OutcomeReport& report = ReportOf(result.outcome);
  std::wstring detail = DetailText(result, fileName, Where::Message);
  std::wstring text =
      report.messageLabel.empty()
          ? Join({report.messageWords, detail})
          : Join({report.messageLabel, fileName, texts::kCrLf, report.messageWords, detail});
  if (report.dependencies) text = WithDependencyLines(std::move(text), result.dependencies);
  return platform::MessageRequest{std::move(text), platform::MessageIcon::Error,
                                  platform::MessageButtons::Ok, std::wstring(texts::kTitleError)};
}

std::wstring SummaryLine(const RegistrationResult& result, const std::wstring& file) {
  const OutcomeReport& report = ReportOf(result.outcome);
  return Join({report.lineLabel, file, report.lineWords, DetailText(result, file, Where::Line),
               texts::kCrLf});
}

}  // namespace corvalinde
