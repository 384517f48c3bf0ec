// Entity references, file URLs and integer texts of the library readers.

#include "common/xml_text.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvello {
namespace {

TEST(DecodeXmlEntitiesTest, NamedAndNumericReferences) {
  EXPECT_EQ(DecodeXmlEntities("Rock &amp; Roll"), "Rock & Roll");
  EXPECT_EQ(DecodeXmlEntities("&#38;|&#x26;|&#X26;|&#$26;|&AMP;|&Lt;&gt;&apos;&quot;&nbsp;"),
            "&|&|&|&|&|<>'\" ");
  // iTunes writes these in names and locations.
  EXPECT_EQ(DecodeXmlEntities("a&#60;b&#62;c&#39;d"), "a<b>c'd");
  // Replacement text is not scanned again.
  EXPECT_EQ(DecodeXmlEntities("&amp;lt;"), "&lt;");
}

TEST(DecodeXmlEntitiesTest, NumericReferencesAbove127GiveUtf8) {
  EXPECT_EQ(DecodeXmlEntities("&#233;"), "\xC3\xA9");
  EXPECT_EQ(DecodeXmlEntities("&#x3042;"), "\xE3\x81\x82");
  EXPECT_EQ(DecodeXmlEntities("&#x1F600;"), "\xF0\x9F\x98\x80");
}

TEST(DecodeXmlEntitiesTest, WhatIsNoReferenceStaysAsWritten) {
  EXPECT_EQ(DecodeXmlEntities("&unknown; &; &#; &#12a; &#xZZ; &#-5; &#xD800; &#99999999999;"),
            "&unknown; &; &#; &#12a; &#xZZ; &#-5; &#xD800; &#99999999999;");
  EXPECT_EQ(DecodeXmlEntities("Tom & Jerry"), "Tom & Jerry");
  EXPECT_EQ(DecodeXmlEntities("a & b &amp; c"), "a & b &amp; c");  // the ";" ends "& b &amp"
  EXPECT_EQ(DecodeXmlEntities(""), "");
}

TEST(FileUrlToPathTest, LocalhostAndEmptyHostUrls) {
  EXPECT_EQ(FileUrlToPath("file://localhost/home/me/a%20b.m4a"), "/home/me/a b.m4a");
  EXPECT_EQ(FileUrlToPath("file:///home/me/a%20b.m4a"), "/home/me/a b.m4a");
  EXPECT_EQ(FileUrlToPath("file:///Users/me/%E3%81%82.m4a"), "/Users/me/\xE3\x81\x82.m4a");
  EXPECT_EQ(FileUrlToPath("file://localhost/C:/Music/x.m4a"), "C:/Music/x.m4a");
  EXPECT_EQ(FileUrlToPath("file://localhost/home/me/folder/"), "/home/me/folder");
  EXPECT_EQ(FileUrlToPath("file://localhost/"), "");
  EXPECT_EQ(FileUrlToPath("file:///"), "");
}

TEST(FileUrlToPathTest, OtherTextAndBadEscapes) {
  EXPECT_EQ(FileUrlToPath("http://example.com/a.m4a"), "http://example.com/a.m4a");
  EXPECT_EQ(FileUrlToPath("file://server/share/a.m4a"), "file://server/share/a.m4a");
  EXPECT_EQ(FileUrlToPath("FILE:///a"), "FILE:///a");
  EXPECT_EQ(FileUrlToPath("file:///a%zzb%4"), "/a%zzb%4");
  EXPECT_EQ(FileUrlToPath("file:///a%2"), "/a%2");
  EXPECT_EQ(FileUrlToPath("file:///x/c:/y"), "/x/c:/y");
}

TEST(FileUrlToPathTest, EscapesDecodeInEitherCaseUpToTheLastByte) {
  EXPECT_EQ(FileUrlToPath("file:///a%20"), "/a ");
  EXPECT_EQ(FileUrlToPath("file:///a%2f%2Fb%e3%81%82"), "/a//b\xE3\x81\x82");
  // Any bytes, each escaped or not in a random mix of letter cases, the last one always
  // escaped: the path comes back byte for byte.
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  const char* const digits[] = {"0123456789abcdef", "0123456789ABCDEF"};
  for (int round = 0; round < 500; ++round) {
    std::string path = "/m/";
    std::string url = "file:///m/";
    const size_t length = 1 + random() % 12;
    for (size_t i = 0; i < length; ++i) {
      const auto byte = static_cast<unsigned char>(random() % 256);
      path += static_cast<char>(byte);
      if (i + 1 < length && byte != '%' && random() % 2 == 0) {
        url += static_cast<char>(byte);
      } else {
        url += '%';
        url += digits[random() % 2][byte >> 4];
        url += digits[random() % 2][byte & 15];
      }
    }
    ASSERT_EQ(FileUrlToPath(url), path) << "seed " << seed << " url " << url;
  }
}

TEST(IntegerValueTest, StandardConversion) {
  EXPECT_EQ(IntegerValue("1234"), 1234);
  EXPECT_EQ(IntegerValue("-12"), -12);
  EXPECT_EQ(IntegerValue("$FF"), 255);
  EXPECT_EQ(IntegerValue("0x10"), 16);
  EXPECT_EQ(IntegerValue("-2147483648"), INT32_MIN);
  EXPECT_EQ(IntegerValue("2147483648"), 0);
  EXPECT_EQ(IntegerValue("12a"), 0);
  EXPECT_EQ(IntegerValue(""), 0);
  EXPECT_EQ(IntegerValue(" 5"), 0);
  EXPECT_EQ(Integer64Value("5000000000"), 5000000000LL);
  EXPECT_EQ(Low16Bits(70000), 4464);
}

}  // namespace
}  // namespace tarvello
