#include "platform/registry_text.h"

#include "platform/registry.h"

namespace corvalinde::platform {
namespace {

void PutUnit(std::vector<std::uint8_t>& bytes, std::uint32_t unit) {
  bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
}

}  // namespace

std::vector<std::uint8_t> ToRegistryText(std::wstring_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (wchar_t c : text) {
    auto point = static_cast<std::uint32_t>(c);
    if (point > 0xFFFF && point <= 0x10FFFF) {  // only where wchar_t holds whole code points
      point -= 0x10000;
      PutUnit(bytes, 0xD800 + (point >> 10));
      PutUnit(bytes, 0xDC00 + (point & 0x3FF));
    } else {
      PutUnit(bytes, point & 0xFFFF);
    }
  }
  PutUnit(bytes, 0);
  return bytes;
}

std::wstring FromRegistryText(const std::uint8_t* bytes, std::size_t size) {
  std::size_t units = size / 2;
  std::wstring text;
  text.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t unit = bytes[2 * i] | static_cast<std::uint32_t>(bytes[2 * i + 1]) << 8;
    if constexpr (sizeof(wchar_t) > 2) {
      if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
        std::uint32_t low = bytes[2 * i + 2] | static_cast<std::uint32_t>(bytes[2 * i + 3]) << 8;
        if (low >= 0xDC00 && low < 0xE000) {
          text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
          ++i;
          continue;
        }
      }
    }
    text.push_back(static_cast<wchar_t>(unit));
  }
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

std::wstring ExpandedText(Registry& registry, const std::wstring& text) {
  std::uint32_t size = registry.ExpandEnvironment(text.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::wstring expanded(size, L'\0');
  size = registry.ExpandEnvironment(text.c_str(), expanded.data(), size);
  if (size == 0 || size > expanded.size()) return text;
  expanded.resize(size - 1);
  return expanded;
}

}  // namespace corvalinde::platform
