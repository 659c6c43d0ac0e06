// Windows-1252 and UTF-8: every byte of the set survives the trip through UTF-8, and what the set
// cannot hold (or what is not UTF-8) is told apart instead of being cut.
#include "platform/charset/windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace cs = platform::charset;

TEST(Windows1252, EveryByteComesBackFromUtf8) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += char(byte);
  const std::string utf8 = cs::Utf8FromWindows1252(all);
  EXPECT_EQ(cs::Windows1252FromUtf8(utf8), all);
  for (int byte = 0; byte < 256; ++byte)
    EXPECT_EQ(cs::Windows1252FromChar(cs::CharFromWindows1252(uint8_t(byte))), byte) << byte;
}

TEST(Windows1252, TypographicBytesAndLatinLetters) {
  struct Case {
    uint8_t byte;
    char32_t c;
    const char* utf8;
  } cases[] = {
      {0x80, U'\u20AC', "\xE2\x82\xAC"},  // euro sign
      {0x9F, U'\u0178', "\xC5\xB8"},      // Y with diaeresis
      {0x8C, U'\u0152', "\xC5\x92"},      // OE ligature
      {0xDC, U'\u00DC', "\xC3\x9C"},      // U with diaeresis
      {0xE9, U'\u00E9', "\xC3\xA9"},
      {0x81, U'\u0081', "\xC2\x81"},      // unassigned: keeps its value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.byte));
    EXPECT_EQ(cs::CharFromWindows1252(c.byte), c.c);
    EXPECT_EQ(cs::Utf8FromWindows1252(std::string(1, char(c.byte))), c.utf8);
  }
  EXPECT_EQ(cs::Windows1252FromChar(U'\u03A9'), -1);  // Greek capital omega
  EXPECT_EQ(cs::Windows1252FromChar(U'\u0100'), -1);  // A with macron: Latin, but not in the set
}

TEST(Windows1252, TextTheSetCannotHoldIsRefusedWhole) {
  const char* refused[] = {
      "caf\xC3",              // cut short
      "\x80" "abc",           // a stray continuation byte
      "\xC0\xAF",             // an overlong "/"
      "\xED\xA0\x80",         // a surrogate
      "\xF4\x90\x80\x80",     // past U+10FFFF
      "\xCE\xA9mega",         // Greek omega: UTF-8, but not in the set
      "\xE6\x97\xA5\xE6\x9C\xAC",  // CJK
  };
  for (const char* text : refused) EXPECT_EQ(cs::Windows1252FromUtf8(text), std::nullopt) << text;
  EXPECT_EQ(cs::Windows1252FromUtf8("\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9"), "\xDCn\xEF" "c\xF6" "d\xE9");
}

TEST(Windows1252, Utf8CharactersAreReadOneAtATime) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xFFz";
  size_t pos = 0;
  const char32_t expected[] = {U'a', U'\u00E9', U'\u20AC', U'\U0001F600', cs::kNotUtf8, U'z'};
  for (char32_t c : expected) {
    ASSERT_LT(pos, text.size());
    EXPECT_EQ(cs::NextUtf8Char(text, pos), c);
  }
  EXPECT_EQ(pos, text.size());
}
