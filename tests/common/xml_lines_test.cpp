// The line reader and the header test of the library scanners.

#include "common/xml_lines.h"

#include <gtest/gtest.h>

#include <random>
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

// The lines that SkipTo should hand out one after another, worked out on the whole text:
// lines end at LF, every CR is dropped, and a line counts when its text after leading
// blanks begins with the prefix.
std::vector<std::string> MatchingLines(const std::string& text, const std::string& prefix) {
  std::vector<std::string> matches;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line;
    for (size_t i = start; i < end; ++i) {
      if (text[i] != '\r') line += text[i];
    }
    size_t first = 0;
    while (first < line.size() && static_cast<unsigned char>(line[first]) <= ' ') ++first;
    if (line.compare(first, prefix.size(), prefix) == 0) matches.push_back(line);
    start = end + 1;
  }
  return matches;
}

TEST(LineReaderTest, SkipToAgreesWithALineByLineReadingOfRandomText) {
  // Few letters, so that the prefix, its parts and its repeats crowd the lines.
  const std::string alphabet = "<kP  \t\n\rx";
  const std::string prefix = "<kP";
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  for (int round = 0; round < 3000; ++round) {
    // Now and then a long text, where the prefix's rare byte turns out common.
    std::string text(random() % (round % 10 == 0 ? 4000 : 120), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const size_t block = 1 + random() % 40;
    MemoryByteFile file(text);
    LineReader reader(file, block);
    std::vector<std::string> found;
    std::string_view line;
    while (reader.SkipTo(prefix, line)) found.emplace_back(line);
    // Trailing blanks of a line are kept, a last line without LF counts as well.
    ASSERT_EQ(found, MatchingLines(text, prefix)) << "seed " << seed << " round " << round;
    // Line by line, every line comes without its CRs.
    ASSERT_EQ(Lines(text, block), MatchingLines(text, "")) << "seed " << seed << " round " << round;
  }
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
}

}  // namespace
}  // namespace tarvello
