// How a verification is reported: the box of a command-line run (or its console lines), the
// register/unregister dialog's line and the findings the results window lists. An intact
// registration says how much was compared; one that differs lists what; a capture that failed
// says so as a capture would. Each ends with who can create the module's classes, when only
// programs of one processor can.
#pragma once

#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "registration/verification.h"

namespace corvalinde {

platform::MessageRequest VerifyMessage(const Verification& verification, const std::wstring& file);

// Ends with a line break.
std::wstring VerifySummaryLine(const Verification& verification, const std::wstring& file);

// Its word in the results list: "completa", "incompleta", or "non riuscita" when nothing could be
// compared.
std::wstring_view VerifyResultWord(const Verification& verification);

// Every finding, each on its own line, then the files registered in the module's place and the
// views its classes are in.
std::vector<std::wstring> FindingLines(const Verification& verification);

}  // namespace corvalinde
