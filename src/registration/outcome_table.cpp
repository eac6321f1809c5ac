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

// In the order of RegOutcome, from RegDone (-1).
constexpr std::array<OutcomeReport, 10> kReports = {{
    {kExitSuccess, {}, {}, false, texts::kLineDone, {}, D::NotApplied},
    {kExitEntryPointMissing,
     {},
     texts::kEntryPointMissing,
     false,
     texts::kLineEntryMissing,
     {},
     D::None},
    {kExitTimeout, {}, texts::kTimeout, false, texts::kLineTimeout, {}, D::None},
    {kExitModuleInvalid, texts::kModuleInvalidLabel, texts::kModuleInvalid, true,
     texts::kLineInvalidLabel, texts::kLineInvalid, D::LoadReason},
    {kExitEntryPointFailed, texts::kModuleLabel, texts::kOperationFailed, false, texts::kLineFailed,
     texts::kLineFailedCode, D::EntryStatus},
    {kExitModuleInvalid,
     texts::kModuleLabel,
     {},
     true,
     texts::kLineInvalidLabel,
     texts::kLineWrongArchitecture,
     D::Architecture},
    {kExitCrashed, texts::kModuleLabel, texts::kCrashed, true, texts::kLineFailed,
     texts::kLineCrashedCode, D::CrashCode},
    {kExitModuleInvalid, texts::kModuleLabel, {}, false, texts::kLineInvalidLabel, L": ", D::Twin},
    {kExitUserScopeFailed, texts::kModuleLabel, texts::kUserScopeFailed, false,
     texts::kLineInvalidLabel, texts::kLineUserScopeFailed, D::LoadReason},
    {kExitCaptureFailed, texts::kModuleLabel, texts::kCaptureFailed, false, texts::kLineFailed,
     texts::kLineCaptureFailed, D::LoadReason},
}};

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
      return WrongTwinText(result.twin, result.architecture);
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
