// JSON text: escaping of strings, and objects on their own or many in one buffer.

#include "common/json_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "common/cp932.h"

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

TEST(JsonObjectTest, MembersInOrderWithEscapedKeysAndNumberLimits) {
  EXPECT_EQ(JsonObject().Close(), "{}");
  EXPECT_EQ(JsonObject()
                .Number("min", std::numeric_limits<int64_t>::min())
                .Number("max", std::numeric_limits<int64_t>::max())
                .Bool("a\"b", false)
                .Raw("list", JsonArray({"1", "[]"}))
                .Close(),
            R"({"min":-9223372036854775808,"max":9223372036854775807,"a\"b":false,)"
            R"("list":[1,[]]})");
}

TEST(JsonObjectTest, ObjectsAppendedToOneBufferKeepWhatWasThere) {
  std::string out = "[";
  EXPECT_EQ(JsonObject(out).Number("n", 1).Close(), "");
  out += ',';
  JsonObject(out).Close();
  out += ',';
  JsonObject(out).Text("t", "x").Bool("b", true).Close();
  EXPECT_EQ(out, R"([{"n":1},{},{"t":"x","b":true})");
}

TEST(JsonObjectTest, AsciiCp932TextsReadTheSameAsThroughTheConverter) {
  std::string printable;
  for (char byte = 0x20; byte < 0x7F; ++byte) printable += byte;
  ASSERT_EQ(Cp932ToUtf8(printable), printable);  // why such texts may skip the conversion
  EXPECT_EQ(JsonObject().Cp932("t", "C:\\Music ~ \"Best\"").Close(),
            R"({"t":"C:\\Music ~ \"Best\""})");
  // The converter swaps some control bytes: 0x7F becomes 0x1A.
  EXPECT_EQ(JsonObject().Cp932("t", "a\x7F").Close(), R"({"t":"a\u001a"})");
  EXPECT_EQ(JsonObject().Cp932("t", "\x93\xFA\x96\x7B").Close(), R"({"t":"日本"})");
}

}  // namespace
}  // namespace tarvello
