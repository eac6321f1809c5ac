#include "platform/ansi.h"

#include <gtest/gtest.h>

namespace corvalinde::platform {
namespace {

// The test prefixes and the portable backend both use Windows-1252.
TEST(Ansi, ItalianLettersAreOneByteEachAndRoundTrip) {
  std::wstring text = L"è mancante: àèéìòù ÀÈÉÌÒÙ €";
  std::string bytes = ToAnsi(text);
  ASSERT_EQ(bytes.size(), text.size());
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xE8);
  EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0x80);
  EXPECT_EQ(FromAnsi(bytes), text);
}

TEST(Ansi, UnspellableCharactersBecomeOneQuestionMark) {
  std::string bytes = ToAnsi(L"a\u4e2db\u0416c");
  EXPECT_EQ(bytes, "a?b?c");
}

TEST(Ansi, EveryByteDecodesToOneCharacter) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(FromAnsi(all).size(), all.size());
}

}  // namespace
}  // namespace corvalinde::platform
