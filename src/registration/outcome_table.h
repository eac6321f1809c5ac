// How each outcome of a registration or a capture is reported, in one table: the exit code of a
// command-line run, the words of the box a command line shows, and the words of the line the
// register/unregister dialog's summary gives it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_boxes.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

// The part of a report that depends on the run, after the outcome's fixed words.
enum class OutcomeDetail {
  None,
  NotApplied,    // the registrations that were not applied (per-user runs)
  LoadReason,    // Windows' reason for the load's (or the mapping's) failure
  EntryStatus,   // the entry point's code, and what Windows calls it
  CrashCode,     // the exception's code
  Architecture,  // the processor the module is built for, and the build that can take it
  Twin,          // the twin that turned out to be built for another processor
  TwinStart,     // the twin the system would not start, and the system's reason
  Words,         // in the summary's line, the box's words again
  CaptureStop,   // why a capture stopped reading, and the key where it did
  CaptureFile,   // the capture's file, and Windows' reason it could not be written
};

struct OutcomeReport {
  RegOutcome outcome = RegEntryMissing;  // the row's own, checked against its place
  int exitCode = 0;
  // The box: `messageLabel`, the file, a line break, `messageWords` and the detail; without a
  // label, the words alone. With `dependencies`, what the dependency walk found follows.
  std::wstring_view messageLabel{};
  std::wstring_view messageWords{};
  bool dependencies = false;
  // The summary's line: `lineLabel`, the file, `lineWords` and the detail.
  std::wstring_view lineLabel{};
  std::wstring_view lineWords{};
  OutcomeDetail detail = OutcomeDetail::None;
};

const OutcomeReport& ReportOf(RegOutcome outcome);

// The exit code of a run that ended with this outcome.
int ExitCodeFor(RegOutcome outcome);

// The box a command-line run shows for a failure (for a success the caller knows the words:
// they depend on the action).
platform::MessageRequest FailureMessage(const RegistrationResult& result,
                                        const std::wstring& fileName);

// The register/unregister dialog's summary line for one file, ending with a line break.
std::wstring SummaryLine(const RegistrationResult& result, const std::wstring& file);

}  // namespace corvalinde
