#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvello {
namespace {

TEST(IsUtf8TextTest, NeedsAtLeastOneMultiByteSequence) {
  EXPECT_FALSE(IsUtf8Text(""));
  EXPECT_FALSE(IsUtf8Text("Plain ASCII, digits 0123 and ~"));
  EXPECT_TRUE(IsUtf8Text("Caf\xC3\xA9"));                           // two bytes
  EXPECT_TRUE(IsUtf8Text("\xE6\x97\xA5\xE6\x9C\xAC"));              // 日本, three bytes each
  EXPECT_TRUE(IsUtf8Text("note \xF0\x9F\x8E\xB5 ok"));              // four bytes
  EXPECT_TRUE(IsUtf8Text("\xDF\xBF\xEF\xBF\xBF\xF7\xBF\xBF\xBF"));  // highest leads
}

TEST(IsUtf8TextTest, LeadWithoutAllItsContinuationBytesIsNotUtf8) {
  EXPECT_FALSE(IsUtf8Text("\xC3"));  // cut by the end
  EXPECT_FALSE(IsUtf8Text("\xE6\x97"));
  EXPECT_FALSE(IsUtf8Text("\xF0\x9F\x8E"));
  EXPECT_FALSE(IsUtf8Text("\xC3\xA9 then \xC3z"));  // a good sequence does not save a bad one
  EXPECT_FALSE(IsUtf8Text("\xE6\x97\xC0"));
  EXPECT_FALSE(IsUtf8Text(std::string("\xE6\x00\x97", 3)));
}

TEST(IsUtf8TextTest, ShiftJisTextIsNotUtf8) {
  EXPECT_FALSE(IsUtf8Text("\x93\xFA\x96\x7B"));                  // 日本
  EXPECT_FALSE(IsUtf8Text("\x82\xCC\x82\xCC"));                  // のの: CC 82 looks like a pair
  EXPECT_FALSE(IsUtf8Text("\x8B\x7B\x8F\xE9\x93\xB9\x97\x59"));  // 宮城道雄: E9 93 B9 inside
  EXPECT_FALSE(IsUtf8Text("\xC3\xA9\xF8"));                      // a byte UTF-8 never uses
}

TEST(IsUtf8TextTest, StopsAtTheEndOfTheGivenBytes) {
  // The byte after the view would complete the sequence; it must not be looked at.
  const std::string text = "abc\xC3\xA9";
  EXPECT_FALSE(IsUtf8Text(std::string_view(text).substr(0, 4)));
  EXPECT_TRUE(IsUtf8Text(std::string_view(text)));
}

TEST(IsWellFormedUtf8Test, AcceptsWholeSequencesOnly) {
  EXPECT_TRUE(IsWellFormedUtf8(""));
  EXPECT_TRUE(IsWellFormedUtf8("SDS"));
  EXPECT_TRUE(IsWellFormedUtf8("\xE6\x97\xA5 \xF0\x9F\x8E\xB5"));  // 日 and a four-byte emoji
  EXPECT_FALSE(IsWellFormedUtf8("\x93\xFA\x96\x7B"));              // 日本 in CP932
  EXPECT_FALSE(IsWellFormedUtf8("ab\xE6\x97"));                    // cut short
  EXPECT_FALSE(IsWellFormedUtf8("\xC0\xAF"));                      // overlong
  EXPECT_FALSE(IsWellFormedUtf8("\xED\xA0\x80"));                  // a surrogate
  EXPECT_FALSE(IsWellFormedUtf8(std::string("a\xFF", 2)));
}

}  // namespace
}  // namespace tarvello
