// The system's own description of an error code (a Win32 error or an HRESULT), in the
// system's language, without a trailing line break; empty when the system has none.
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde::platform {

std::wstring SystemErrorText(std::uint32_t code);

}  // namespace corvalinde::platform
