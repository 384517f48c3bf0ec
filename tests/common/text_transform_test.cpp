#include "common/text_transform.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <memory>
#include <string>
#include <vector>

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

// `built` gives what ICU's registry builds under `id`: on `texts`, and on each character of
// the set `pattern` alone, between Latin letters and before combining marks.
void ExpectSameAsRegistry(const std::unique_ptr<TextTransform>& built, const char* id,
                          const char16_t* pattern, std::vector<icu::UnicodeString> texts = {}) {
  SCOPED_TRACE(id);
  const auto registry = TextTransform::FromRegistry(id);
  ASSERT_NE(built, nullptr);
  ASSERT_NE(registry, nullptr);
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeSet set(pattern, status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (int32_t range = 0; range < set.getRangeCount(); ++range) {
    for (UChar32 c = set.getRangeStart(range); c <= set.getRangeEnd(range); ++c) {
      if (u_charType(c) == U_UNASSIGNED) continue;
      texts.insert(texts.end(),
                   {icu::UnicodeString(c), icu::UnicodeString(u"a").append(c).append(u"b"),
                    icu::UnicodeString(c).append(u"\u0301\u0323x")});
    }
  }
  for (const icu::UnicodeString& text : texts) {
    ASSERT_EQ(Utf8(Applied(*built, text)), Utf8(Applied(*registry, text))) << Utf8(text);
  }
}

TEST(TextTransformTest, TransformsFromDataAndRulesMatchIcuRegistry) {
  ExpectSameAsRegistry(
      TextTransform::FromData("Latin-ASCII"), "Latin-ASCII",
      u"[[[[:Latin:][:Common:][:Inherited:]]&[\\u0000-\\U0001FFFF]][\\uE000-\\uE00F]]",
      {u"Beyonce\u0301 ﬁ ǅ", u"1\u0301 \u0301x", u"ß\U0001F3B5é",
       u"\U000E0100\u0301e\u0302\u0323"});
  ExpectSameAsRegistry(TextTransform::FromData("Simplified-Traditional"), "Simplified-Traditional",
                       u"[\\u4E00-\\u9FFF]", {u"单于 生姜 邓丽君 这是"});
  ExpectSameAsRegistry(TextTransform::FromRules(u":: NFD() ; [:Nonspacing Mark:] > ; :: NFC() ;"),
                       "NFD; [:Nonspacing Mark:] Remove; NFC",
                       u"[[:Greek:][:Cyrillic:][:Inherited:]]");
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
