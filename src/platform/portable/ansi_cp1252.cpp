#include "platform/ansi.h"

#include <array>

namespace corvalinde::platform {
namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the code page equals Latin-1. The five holes of
// the code page map to themselves, as Windows' own conversion does.
constexpr std::array<wchar_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToCp1252(wchar_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);  // ASCII and Latin-1
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string ToAnsi(std::wstring_view text) {
  std::string bytes(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = ToCp1252(text[i]);
  return bytes;
}

std::wstring FromAnsi(std::string_view bytes) {
  std::wstring text(bytes.size(), L'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto u = static_cast<unsigned char>(bytes[i]);
    text[i] = u >= 0x80 && u < 0xA0 ? kHighControls[u - 0x80] : static_cast<wchar_t>(u);
  }
  return text;
}

}  // namespace corvalinde::platform
