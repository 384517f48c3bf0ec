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

TEST(TruncateToBytesTest, CutsByBytesWithoutSplittingADoubleByteCharacter) {
  EXPECT_EQ(TruncateToBytes("abcdef", 4), "abcd");
  EXPECT_EQ(TruncateToBytes("abc", 40), "abc");
  EXPECT_EQ(TruncateToBytes("", 40), "");
  EXPECT_EQ(TruncateToBytes("abc", 0), "");
  // "ab" + 出 (8F 6F): the character would end at byte 4 of 3.
  EXPECT_EQ(TruncateToBytes("ab\x8f\x6f", 3), "ab");
  EXPECT_EQ(TruncateToBytes("ab\x8f\x6f", 4), "ab\x8f\x6f");
  // A second byte in the ASCII range still belongs to its lead byte (ソ is 83 5C).
  EXPECT_EQ(TruncateToBytes("\x83\x5cZ", 2), "\x83\x5c");
  // Half-width katakana takes one byte.
  EXPECT_EQ(TruncateToBytes("\xb1\xb2\xb3", 2), "\xb1\xb2");
}

TEST(TruncateToBytesTest, DropsALeadByteThatEndsTheText) {
  EXPECT_EQ(TruncateToBytes("ab\x81", 40), "ab");
  EXPECT_EQ(TruncateToBytes("\x81", 1), "");
}

TEST(Cp932Test, CutsNeverSplitADoubleByteCharacter) {
  const std::string kanji = "\x93\xFA";     // 日
  const std::string half_width_a = "\xB1";  // ｱ, one byte though above 0x80
  EXPECT_EQ(Cp932CutLength("abc", 5), 3u);
  EXPECT_EQ(Cp932CutLength(kanji + kanji, 4), 4u);  // 0xFA trails here, though it can lead
  EXPECT_EQ(Cp932CutLength(kanji + kanji, 3), 2u);
  EXPECT_EQ(Cp932CutLength("a" + kanji + kanji, 4), 3u);
  EXPECT_EQ(Cp932CutLength(half_width_a + kanji, 2), 1u);
  EXPECT_EQ(Cp932CutLength(kanji, 0), 0u);
}

}  // namespace
}  // namespace tarvello
