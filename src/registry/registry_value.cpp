#include "registry/registry_value.h"

#include <cstdio>

namespace corvalinde {

std::wstring ToText(const RegistryValue& value) {
  struct Visitor {
    std::wstring operator()(std::monostate) const { return {}; }
    std::wstring operator()(const std::wstring& text) const { return text; }
    std::wstring operator()(std::int16_t number) const { return std::to_wstring(number); }
    std::wstring operator()(std::int32_t number) const { return std::to_wstring(number); }
    std::wstring operator()(double number) const {
      wchar_t text[32];
      std::swprintf(text, 32, L"%.15g", number);
      return text;
    }
    std::wstring operator()(bool flag) const { return flag ? L"True" : L"False"; }
    std::wstring operator()(const ByteArray& bytes) const {
      std::wstring text;
      for (std::uint8_t byte : bytes) {
        wchar_t hex[4];
        std::swprintf(hex, 4, L"%02X", byte);
        if (!text.empty()) text += L' ';
        text += hex;
      }
      return text;
    }
  };
  return std::visit(Visitor{}, value);
}

std::wstring ToText(RegistryValue&& value) {
  if (auto* text = std::get_if<std::wstring>(&value)) return std::move(*text);
  return ToText(static_cast<const RegistryValue&>(value));
}

}  // namespace corvalinde
