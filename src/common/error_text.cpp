#include "common/error_text.h"

#include <cstdio>

#include "common/texts.h"
#include "platform/system_errors.h"

namespace corvalinde {

std::wstring Hex8(std::int32_t value) {
  wchar_t digits[9];
  std::swprintf(digits, 9, L"%08X", static_cast<unsigned>(value));
  return digits;
}

std::wstring ReasonLine(std::uint32_t code, const std::wstring& about) {
  std::wstring reason = code ? platform::SystemErrorText(code, about) : std::wstring();
  return reason.empty() ? reason : std::wstring(texts::kCrLf) + reason;
}

}  // namespace corvalinde
