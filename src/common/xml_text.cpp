#include "common/xml_text.h"

namespace corvalinde {

std::wstring XmlEscaped(std::wstring_view text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        escaped += L"&amp;";
        break;
      case L'<':
        escaped += L"&lt;";
        break;
      case L'>':
        escaped += L"&gt;";
        break;
      case L'"':
        escaped += L"&quot;";
        break;
      case L'\t':
        escaped += L"&#9;";
        break;
      case L'\n':
        escaped += L"&#10;";
        break;
      case L'\r':
        escaped += L"&#13;";
        break;
      default:
        escaped += c < 0x20 ? L'\uFFFD' : c;
    }
  }
  return escaped;
}

}  // namespace corvalinde
