#include "common/text_tools.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvello {
namespace {

TEST(TextToolsTest, TrimsEachBlankSetAndNothingElse) {
  struct Case {
    std::string_view text;
    BlankTest blank;
    std::string_view trimmed;
  };
  const Case cases[] = {
      {" \t\r\n\v\fa b\t \r\n", IsBlank, "a b"},
      {"\x01 a \x1f", IsBlank, "\x01 a \x1f"},  // control characters stay
      {" \t\x01/music/a b.m4a\r\n\x1f ", IsSpaceOrControl, "/music/a b.m4a"},
      {"\xE3\x80\x80x\xC2\xA0", IsSpaceOrControl, "\xE3\x80\x80x\xC2\xA0"},  // no UTF-8 blanks
      {" \x01\x1f ", IsSpaceOrControl, ""},
      {"", IsBlank, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Trim(c.text, c.blank), c.trimmed) << c.text;
  EXPECT_EQ(TrimStart("\t#EXTINF \t"), "#EXTINF \t");
  EXPECT_EQ(TrimEnd("\t#EXTINF \t"), "\t#EXTINF");
}

TEST(TextToolsTest, IntegersHexDigitsAndCase) {
  EXPECT_EQ(ParseInteger<int>("-42"), -42);
  EXPECT_EQ(ParseInteger<int>("2147483647"), 2147483647);
  for (std::string_view bad : {"", "+1", " 1", "1 ", "1x", "2147483648", "0x10"}) {
    EXPECT_EQ(ParseInteger<int>(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseInteger<uint64_t>("-1"), std::nullopt);
  EXPECT_EQ(ParseInteger<uint64_t>("10FFFF", 16), 0x10FFFFu);

  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('f'), 15);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);

  EXPECT_TRUE(EqualsIgnoringCase("FILE", "file"));
  EXPECT_FALSE(EqualsIgnoringCase("files", "file"));
  EXPECT_FALSE(EqualsIgnoringCase("\xC3\x89", "\xC3\xA9"));  // ASCII only: É is not é
  EXPECT_TRUE(StartsWithIgnoringCase("[Playlist]", "[playlist]"));
  EXPECT_FALSE(StartsWithIgnoringCase("fil", "file"));
}

}  // namespace
}  // namespace tarvello
