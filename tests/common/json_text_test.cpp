// JSON text: escaping of strings.

#include "common/json_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvello {
namespace {

TEST(JsonStringTest, EscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(JsonString(""), "\"\"");
  EXPECT_EQ(JsonString("say \"hi\" C:\\x"), R"("say \"hi\" C:\\x")");
  EXPECT_EQ(JsonString(std::string("a\0b\n\t\x1F\x7F", 7)), R"("a\u0000b\u000a\u0009\u001f)"
                                                            "\x7F\"");
}

TEST(JsonStringTest, KeepsUtf8AndReplacesWhatIsNot) {
  EXPECT_EQ(JsonString("日本 \xF0\x9F\x8E\xB5 é"), "\"日本 \xF0\x9F\x8E\xB5 é\"");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(JsonString("a\xFF"
                       "b"),
            "\"a" + replacement + "b\"");
  EXPECT_EQ(JsonString("\xE6\x97"), "\"" + replacement + replacement + "\"");  // cut short
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"" + replacement + replacement + "\"");  // overlong
  EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"" + replacement + replacement + replacement + "\"");
  EXPECT_EQ(JsonString("\xF4\x90\x80\x80").find("\xF4"), std::string::npos);  // past U+10FFFF
  // A quote after a broken lead byte is still escaped.
  EXPECT_EQ(JsonString("\xC3\""), "\"" + replacement + "\\\"\"");
}

}  // namespace
}  // namespace tarvello
