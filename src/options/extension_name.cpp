#include "options/extension_name.h"

#include "common/blanks.h"
#include "common/letter_case.h"

namespace corvalinde {
namespace {

std::wstring_view WithoutDot(std::wstring_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == L'.') text.remove_prefix(1);
  return text;
}

}  // namespace

bool IsValidExtensionName(std::wstring_view text) {
  std::wstring_view name = WithoutDot(text);
  if (name.empty() || name.size() > kExtensionLength) return false;
  for (wchar_t c : name) {
    if (c < 0x20 || c > 0x7E ||
        std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) {
      return false;
    }
  }
  return true;
}

std::wstring StoredExtensionName(std::wstring_view text) {
  return ToUpperText(WithoutDot(text));
}

}  // namespace corvalinde
