#include "registration/capture_report.h"

#include "common/join.h"
#include "common/texts.h"
#include "registration/outcome_table.h"

namespace corvalinde {
namespace {

std::wstring Written(const CaptureResult& capture) {
  return Join({capture.regFile, L" (", std::to_wstring(capture.keys), texts::kCapturedKeys,
               std::to_wstring(capture.values), texts::kCapturedValues, CaptureNotes(capture)});
}

}  // namespace

platform::MessageRequest CaptureMessage(const CaptureResult& capture,
                                        const std::wstring& fileName) {
  const RegistrationResult& result = capture.registration;
  if (result.outcome == RegDone) {
    return {
        Join({texts::kModuleLabel, fileName, texts::kCrLf, texts::kCapturedIn, Written(capture)}),
        platform::MessageIcon::Information, platform::MessageButtons::Ok,
        std::wstring(texts::kTitleRegistered)};
  }
  platform::MessageRequest message = FailureMessage(result, fileName);
  if (UsesItsOwnClasses(result)) {
    message.text += Join({texts::kCrLf, texts::kCaptureOwnClasses});
  }
  return message;
}

std::wstring CaptureSummaryLine(const CaptureResult& capture, const std::wstring& file) {
  const RegistrationResult& result = capture.registration;
  if (result.outcome == RegDone) {
    return Join(
        {texts::kLineCaptured, file, texts::kLineCapturedIn, Written(capture), texts::kCrLf});
  }
  std::wstring line = SummaryLine(result, file);
  if (UsesItsOwnClasses(result)) line += Join({texts::kCaptureOwnClasses, texts::kCrLf});
  return line;
}

}  // namespace corvalinde
