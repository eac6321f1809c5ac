// Pieces the outcome messages share: an HRESULT as 8 upper-case hex digits, and the system's
// own words for an error on a line of their own.
#pragma once

#include <cstdint>
#include <string>

namespace corvalinde {

std::wstring Hex8(std::int32_t value);

// CRLF and the system's description of `code`, naming `about` where it has an insert (never a
// raw "%1"); nothing when the system has none.
std::wstring ReasonLine(std::uint32_t code, const std::wstring& about = {});

}  // namespace corvalinde
