#include "common/text_transform.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <memory>
#include <string>

namespace tarvello {
namespace {

std::string Utf8(const icu::UnicodeString& text) {
  std::string utf8;
  return text.toUTF8String(utf8);
}

icu::UnicodeString Applied(const TextTransform& transform, icu::UnicodeString text) {
  transform.Apply(text);
  return text;
}

// The transform built from rules gives what ICU's registry builds under the same name,
// on each character of `set` alone, between Latin letters and before a combining mark.
void ExpectSameAsRegistry(const TextTransform& built, const char* id, const icu::UnicodeSet& set) {
  const auto registry = TextTransform::FromRegistry(id);
  ASSERT_NE(registry, nullptr);
  for (int32_t range = 0; range < set.getRangeCount(); ++range) {
    for (UChar32 c = set.getRangeStart(range); c <= set.getRangeEnd(range); ++c) {
      if (u_charType(c) == U_UNASSIGNED) continue;
      for (const icu::UnicodeString& text :
           {icu::UnicodeString(c), icu::UnicodeString(u"a").append(c).append(u"b"),
            icu::UnicodeString(c).append(u"\u0301\u0323x")}) {
        ASSERT_EQ(Utf8(Applied(built, text)), Utf8(Applied(*registry, text)))
            << id << " U+" << std::hex << c;
      }
    }
  }
}

icu::UnicodeSet Set(const char16_t* pattern) {
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeSet set(pattern, status);
  EXPECT_TRUE(U_SUCCESS(status));
  return set;
}

TEST(TextTransformTest, LatinAsciiFromIcuDataMatchesIcuRegistry) {
  const auto built = TextTransform::FromData("Latin-ASCII");
  ASSERT_NE(built, nullptr);
  ExpectSameAsRegistry(
      *built, "Latin-ASCII",
      Set(u"[[[[:Latin:][:Common:][:Inherited:]]&[\\u0000-\\U0001FFFF]][\\uE000-\\uE00F]]"));
  for (const char16_t* text : {u"Beyonce\u0301 ﬁ ǅ", u"1\u0301 \u0301x", u"ß\U0001F3B5é",
                               u"\U000E0100\u0301e\u0302\u0323"}) {
    EXPECT_EQ(Utf8(Applied(*built, text)),
              Utf8(Applied(*TextTransform::FromRegistry("Latin-ASCII"), text)));
  }
}

TEST(TextTransformTest, TraditionalHanAndBareLettersMatchIcuRegistry) {
  const auto traditional = TextTransform::FromData("Simplified-Traditional");
  ASSERT_NE(traditional, nullptr);
  ExpectSameAsRegistry(*traditional, "Simplified-Traditional", Set(u"[\\u4E00-\\u9FFF]"));
  const icu::UnicodeString phrase(u"单于 生姜 邓丽君 这是");
  EXPECT_EQ(Utf8(Applied(*traditional, phrase)),
            Utf8(Applied(*TextTransform::FromRegistry("Simplified-Traditional"), phrase)));

  const auto bare = TextTransform::FromRules(u":: NFD() ; [:Nonspacing Mark:] > ; :: NFC() ;");
  ASSERT_NE(bare, nullptr);
  ExpectSameAsRegistry(*bare, "NFD; [:Nonspacing Mark:] Remove; NFC",
                       Set(u"[[:Greek:][:Cyrillic:][:Inherited:]]"));
}

TEST(TextTransformTest, RulesReadAsIcuReadsThem) {
  // A ";" quoted, escaped or in a set ends no statement; the filter's stretches are
  // transformed alone.
  const auto rules = TextTransform::FromRules(u":: [a-z;] ; a > ';' ; b > \\; ; [;] > c ;");
  ASSERT_NE(rules, nullptr);
  EXPECT_EQ(Utf8(Applied(*rules, u"abAa;")), ";;A;c");
  // Steps run in order, and the normalization forms take their names with or without ().
  const auto steps = TextTransform::FromRules(u"e > f ; :: NFD ; e > x ; ::NFC(); \u0301 > h ;");
  ASSERT_NE(steps, nullptr);
  EXPECT_EQ(Utf8(Applied(*steps, u"eé")), "fxh");
  // What this class cannot run by itself is left to ICU's registry.
  EXPECT_EQ(TextTransform::FromRules(u":: Any-Latin ;"), nullptr);
  EXPECT_EQ(TextTransform::FromRules(u"a > b ; # a comment"), nullptr);
  EXPECT_EQ(TextTransform::FromData("Any-Latin"), nullptr);
  EXPECT_EQ(TextTransform::FromRegistry("No-Such-Transform"), nullptr);
}

}  // namespace
}  // namespace tarvello
