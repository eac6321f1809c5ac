#include "common/letter_case.h"

namespace corvalinde {
namespace {

// The pairs outside the Latin-1 blocks: Š, Œ, Ž, Ÿ.
constexpr struct {
  wchar_t upper, lower;
} kOtherPairs[] = {{0x0160, 0x0161}, {0x0152, 0x0153}, {0x017D, 0x017E}, {0x0178, 0x00FF}};

}  // namespace

wchar_t ToUpperLetter(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
    return static_cast<wchar_t>(c - 32);
  }
  for (const auto& pair : kOtherPairs) {
    if (c == pair.lower) return pair.upper;
  }
  return c;
}

wchar_t ToLowerLetter(wchar_t c) {
  if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
    return static_cast<wchar_t>(c + 32);
  }
  for (const auto& pair : kOtherPairs) {
    if (c == pair.upper) return pair.lower;
  }
  return c;
}

std::wstring ToUpperText(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) c = ToUpperLetter(c);
  return upper;
}

std::wstring ToLowerText(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = ToLowerLetter(c);
  return lower;
}

}  // namespace corvalinde
