#include "common/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvello {
namespace {

TEST(Cp932Test, JapaneseTextSurvivesTheRoundTrip) {
  const std::string text = "出力先フォルダへ 曲を出力しました. ABC 123 ～";
  const std::string cp932 = Utf8ToCp932(text);
  EXPECT_EQ(cp932.substr(0, 4), "\x8f\x6f\x97\xcd");  // 出力
  EXPECT_EQ(Cp932ToUtf8(cp932), text);
}

TEST(Cp932Test, HalfWidthKatakanaTakesOneByte) {
  const std::string cp932 = Utf8ToCp932("ｱｲｳ");
  EXPECT_EQ(cp932, "\xb1\xb2\xb3");
  EXPECT_EQ(Cp932ToUtf8(cp932), "ｱｲｳ");
}

TEST(Cp932Test, CharactersCp932LacksBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("caf\u00e9"), "caf?");
  EXPECT_EQ(Utf8ToCp932("a\U0001F3B5b"), "a?b");  // one emoji, one mark
}

TEST(Cp932Test, OneWayMappingsOfJapaneseWindowsAreUsed) {
  struct Case {
    const char* utf8;
    std::string cp932;
  };
  const Case cases[] = {
      {"\u301C", "\x81\x60"},  // WAVE DASH, in countless titles
      {"\u2212", "\x81\x7C"},  // MINUS SIGN
      {"\u2014", "\x81\x5C"},  // EM DASH
      {"\u00A5", "\x5C"},      // YEN SIGN
      {"\u2016", "\x81\x61"},  // DOUBLE VERTICAL LINE
      {"\u00A6", "\xFA\x55"},  // BROKEN BAR
      {"\uFF5E", "\x81\x60"},  // the round-trip mappings stay as they were
      {"\u2225", "\x81\x61"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(Utf8ToCp932(test.utf8), test.cp932) << test.utf8;
    // A title keeps its neighbours: only the one character is mapped.
    EXPECT_EQ(Utf8ToCp932(std::string("A") + test.utf8 + "B"), "A" + test.cp932 + "B")
        << test.utf8;
  }
  // Decoding is unchanged: the bytes give back the round-trip characters.
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "\uFF5E");
  EXPECT_EQ(Cp932ToUtf8("\x81\x7C"), "\uFF0D");
}

TEST(Cp932Test, EmptyTextStaysEmpty) {
  EXPECT_EQ(Utf8ToCp932(""), "");
  EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(Cp932Test, BrokenInputDoesNotCrash) {
  // A lead byte at the end, a lead byte with an invalid trail, and unassigned bytes.
  const std::string decoded = Cp932ToUtf8(std::string("A\x81", 2));
  EXPECT_EQ(decoded.substr(0, 1), "A");
  EXPECT_FALSE(Cp932ToUtf8("\x81\x20Z").empty());
  EXPECT_FALSE(Cp932ToUtf8("\xa0\xfd\xfe\xff").empty());
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(std::string("\xff\xfe", 2))), "??");
}

TEST(Cp932Test, LeadBytesAreRecognised) {
  EXPECT_TRUE(IsCp932LeadByte(0x81));
  EXPECT_TRUE(IsCp932LeadByte(0x9f));
  EXPECT_TRUE(IsCp932LeadByte(0xe0));
  EXPECT_TRUE(IsCp932LeadByte(0xfc));
  EXPECT_FALSE(IsCp932LeadByte(0x80));
  EXPECT_FALSE(IsCp932LeadByte(0xa0));
  EXPECT_FALSE(IsCp932LeadByte(0xb1));  // half-width katakana
  EXPECT_FALSE(IsCp932LeadByte(0xfd));
  EXPECT_FALSE(IsCp932LeadByte('A'));
}

TEST(Cp932Test, CutsByBytesWithoutSplittingADoubleByteCharacter) {
  const std::string kanji = "\x93\xFA";  // 日; 0xFA can lead too, but trails here
  struct Case {
    std::string text;
    size_t limit;
    size_t length;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"abcdef", 4, 4},
           {"abc", 40, 3},
           {"", 40, 0},
           {"abc", 0, 0},
           {"ab\x8f\x6f", 3, 2},  // "ab" + 出: the character would end past the limit
           {"ab\x8f\x6f", 4, 4},
           {"\x83\x5cZ", 2, 2},     // ソ: a second byte in the ASCII range still belongs to it
           {"\xb1\xb2\xb3", 2, 2},  // half-width katakana takes one byte
           {"\xb1" + kanji, 2, 1},
           {kanji + kanji, 4, 4},
           {kanji + kanji, 3, 2},
           {"a" + kanji + kanji, 4, 3},
           {"ab\x81", 40, 2},  // a lead byte that ends the text is half a character
           {"\x81", 1, 0}}) {
    EXPECT_EQ(Cp932CutLength(c.text, c.limit), c.length) << c.text << " " << c.limit;
    EXPECT_EQ(TruncateToBytes(c.text, c.limit), c.text.substr(0, c.length));
  }
}

}  // namespace
}  // namespace tarvello
