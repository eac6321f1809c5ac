// The system's own description of an error code (a Win32 error or an HRESULT), in the
// system's language, without a trailing line break; empty when the system has none. Its
// inserts ("%1 is not a valid Win32 application.") name `insert`, the file or path the error
// is about; the texts come from the system only.
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde::platform {

std::wstring SystemErrorText(std::uint32_t code, const std::wstring& insert = {});

}  // namespace corvalinde::platform
