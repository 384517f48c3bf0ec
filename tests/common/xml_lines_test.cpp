// The line reader and the header test of the library scanners.

#include "common/xml_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory_byte_file.h"

namespace tarvello {
namespace {

std::vector<std::string> Lines(const std::string& bytes, size_t block = 4) {
  MemoryByteFile file(bytes);
  LineReader reader(file, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

TEST(LineReaderTest, LineEndsAndStrayCarriageReturns) {
  EXPECT_EQ(Lines("a\nbb\r\n\nc\rd\r\r\nlast"),
            (std::vector<std::string>{"a", "bb", "", "cd", "last"}));
  EXPECT_EQ(Lines("one line longer than many blocks\n"),
            (std::vector<std::string>{"one line longer than many blocks"}));
  EXPECT_TRUE(Lines("").empty());
}

TEST(LineReaderTest, SkipToFindsOnlyLinesThatBeginWithTheTag) {
  for (const std::string end : {"\n", "\r\n"}) {
    const std::string text =
        "x<key>P</key>" + end + "<key>Pz" + end + " \t<key>P</key>tail" + end + "next" + end;
    for (size_t block : {size_t{3}, size_t{16}, size_t{1024}}) {
      MemoryByteFile file(text);
      LineReader reader(file, block);
      std::string_view line;
      ASSERT_TRUE(reader.SkipTo("<key>P</key>", line)) << block;
      EXPECT_EQ(line, " \t<key>P</key>tail");
      ASSERT_TRUE(reader.Next(line));
      EXPECT_EQ(line, "next");
    }
  }
  // A CR inside the tag is dropped from its line, so the tag is found.
  MemoryByteFile split("<key>P\r</key>\n");
  LineReader reader(split);
  std::string_view line;
  EXPECT_TRUE(reader.SkipTo("<key>P</key>", line));
  MemoryByteFile none("<key>Q</key>\n");
  LineReader none_reader(none);
  EXPECT_FALSE(none_reader.SkipTo("<key>P</key>", line));
}

TEST(HasXmlDeclarationTest, FirstBytesAfterBlanks) {
  const auto has = [](const std::string& bytes) {
    MemoryByteFile file(bytes);
    return HasXmlDeclaration(file);
  };
  EXPECT_TRUE(has("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
  EXPECT_TRUE(has("\r\n  \t<?xml version=\"1.0\"?>"));
  EXPECT_FALSE(has("\xEF\xBB\xBF<?xml version=\"1.0\"?>"));  // a byte order mark
  EXPECT_FALSE(has("<?xml version='1.0'?>"));
  EXPECT_FALSE(has("<?xml version=\"1.0"));
  EXPECT_FALSE(has(std::string(3, '\0') + "<?xml version=\"1.0\"?>"));
  EXPECT_FALSE(has(std::string(250, ' ') + "<?xml version=\"1.0\"?>"));  // past 256 bytes
}

TEST(TagValueTest, FirstOpeningTagThenFirstClosingTag) {
  EXPECT_EQ(TagValue("<key>Name</key><string>a</string>", "<string>", "</string>"), "a");
  EXPECT_EQ(TagValue("<string></string>", "<string>", "</string>"), "");
  EXPECT_FALSE(TagValue("<key>Name</key><string>a", "<string>", "</string>"));
  EXPECT_FALSE(TagValue("</string><key>", "<string>", "</string>"));
  EXPECT_EQ(TrimLine(" \t\x01 a b \r"), "a b");
}

}  // namespace
}  // namespace tarvello
