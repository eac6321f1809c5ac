#include "platform/system_errors.h"

namespace corvalinde::platform {

// The portable loader reports only these two Win32 codes; their texts are Windows' own.
std::wstring SystemErrorText(std::uint32_t code, const std::wstring& insert) {
  switch (code) {
    case 126:
      return L"The specified module could not be found.";
    case 193:
      return insert + L" is not a valid Win32 application.";
    default:
      return {};
  }
}

}  // namespace corvalinde::platform
