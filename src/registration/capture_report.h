// How a capture is reported: the box of a command-line run and the line of the register/
// unregister dialog's summary. A capture that wrote its file says where and how much; any other
// end is reported from the outcome table, with a word on a module that needed its own classes.
#pragma once

#include <string>

#include "platform/message_boxes.h"
#include "registration/capture_to_file.h"

namespace corvalinde {

platform::MessageRequest CaptureMessage(const CaptureResult& capture, const std::wstring& fileName);

// Ends with a line break.
std::wstring CaptureSummaryLine(const CaptureResult& capture, const std::wstring& file);

}  // namespace corvalinde
