#include "common/number_format.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace tarvello {
namespace {

const NumberSymbols kComma{",", "."};

TEST(FormatFileSizeTest, BytesKeepNoDecimals) {
  EXPECT_EQ(FormatFileSize(0, kComma), "0 バイト");
  EXPECT_EQ(FormatFileSize(1, kComma), "1 バイト");
  EXPECT_EQ(FormatFileSize(1023, kComma), "1,023 バイト");
}

TEST(FormatFileSizeTest, NegativeSizesReadAsGroupedBytes) {
  EXPECT_EQ(FormatFileSize(-5, kComma), "-5 バイト");
  EXPECT_EQ(FormatFileSize(-1234567, kComma), "-1,234,567 バイト");
  EXPECT_EQ(FormatFileSize(std::numeric_limits<int64_t>::min(), kComma),
            "-9,223,372,036,854,775,808 バイト");
}

TEST(FormatFileSizeTest, KilobytesRoundToTwoThenCutToOne) {
  EXPECT_EQ(FormatFileSize(1024, kComma), "1.0 KB");
  EXPECT_EQ(FormatFileSize(1500, kComma), "1.4 KB");  // 1.46 cut, not rounded up
  EXPECT_EQ(FormatFileSize(1535, kComma), "1.5 KB");  // 1.499 rounds to 1.50
  EXPECT_EQ(FormatFileSize(1048575, kComma), "1,024.0 KB");
}

TEST(FormatFileSizeTest, MegabytesAndGigabytesKeepTwoDecimals) {
  EXPECT_EQ(FormatFileSize(1048576, kComma), "1.00 MB");
  EXPECT_EQ(FormatFileSize(int64_t{700} * 1048576, kComma), "700.00 MB");
  EXPECT_EQ(FormatFileSize(1073741823, kComma), "1,024.00 MB");
  EXPECT_EQ(FormatFileSize(1073741824, kComma), "1.00 GB");
  EXPECT_EQ(FormatFileSize(5000000000, kComma), "4.66 GB");
  // 1.125 MB lies exactly between two hundredths and rounds up.
  EXPECT_EQ(FormatFileSize(1179648, kComma), "1.13 MB");
}

TEST(FormatFileSizeTest, LargestSizeDoesNotOverflow) {
  EXPECT_EQ(FormatFileSize(std::numeric_limits<int64_t>::max(), kComma), "8,589,934,592.00 GB");
}

TEST(FormatFileSizeTest, UsesTheGivenSymbols) {
  const NumberSymbols german{".", ","};
  EXPECT_EQ(FormatFileSize(1048575, german), "1.024,0 KB");
  EXPECT_EQ(FormatFileSize(5000000000, german), "4,66 GB");
  const NumberSymbols french{"\u202f", ","};  // a multi-byte grouping symbol
  EXPECT_EQ(FormatFileSize(1023, french), "1\u202f023 バイト");
}

TEST(FormatThousandsTest, GroupsWholeNumbers) {
  EXPECT_EQ(FormatThousands(0, kComma), "0");
  EXPECT_EQ(FormatThousands(999, kComma), "999");
  EXPECT_EQ(FormatThousands(-1234, kComma), "-1,234");
  EXPECT_EQ(FormatThousands(44100, kComma), "44,100");
  EXPECT_EQ(FormatThousands(std::numeric_limits<int32_t>::max(), kComma), "2,147,483,647");
  EXPECT_EQ(FormatThousands(std::numeric_limits<int32_t>::min(), kComma), "-2,147,483,648");
}

TEST(FormatKilohertzTest, KeepsOnlyTheDecimalsARateNeeds) {
  const NumberSymbols german{".", ","};
  const struct {
    int32_t hertz;
    const char* with_point;
    const char* with_comma;
  } rates[] = {{44100, "44.1 kHz", "44,1 kHz"},
               {48000, "48 kHz", "48 kHz"},
               {22050, "22.05 kHz", "22,05 kHz"},
               {8000, "8 kHz", "8 kHz"},
               {11025, "11.025 kHz", "11,025 kHz"},
               {1, "0.001 kHz", "0,001 kHz"},
               {2822400, "2,822.4 kHz", "2.822,4 kHz"},
               {-44100, "-44.1 kHz", "-44,1 kHz"},
               {std::numeric_limits<int32_t>::min(), "-2,147,483.648 kHz", "-2.147.483,648 kHz"}};
  for (const auto& rate : rates) {
    EXPECT_EQ(FormatKilohertz(rate.hertz, kComma), rate.with_point) << rate.hertz;
    EXPECT_EQ(FormatKilohertz(rate.hertz, german), rate.with_comma) << rate.hertz;
  }
}

TEST(NumberSymbolsTest, ComeFromTheNamedLocale) {
  const NumberSymbols c = NumberSymbols::FromLocaleName("C");
  EXPECT_EQ(c.grouping, ",");
  EXPECT_EQ(c.decimal, ".");
  const NumberSymbols german = NumberSymbols::FromLocaleName("de_DE.UTF-8");
  EXPECT_EQ(german.grouping, ".");
  EXPECT_EQ(german.decimal, ",");
  const NumberSymbols japanese = NumberSymbols::FromLocaleName("ja_JP.UTF-8");
  EXPECT_EQ(japanese.grouping, ",");
  EXPECT_EQ(japanese.decimal, ".");
}

// Sets (or, with nullptr, removes) an environment variable and restores it afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(NumberSymbolsTest, EnvironmentPicksTheNumericLocale) {
  ScopedVariable all("LC_ALL", nullptr);
  ScopedVariable numeric("LC_NUMERIC", "de_DE.UTF-8");
  ScopedVariable lang("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(NumberSymbols::FromLocale().decimal, ",");
  {
    ScopedVariable override_all("LC_ALL", "C.UTF-8");
    EXPECT_EQ(NumberSymbols::FromLocale().decimal, ".");
  }
  ScopedVariable empty_numeric("LC_NUMERIC", "");  // empty counts as unset
  EXPECT_EQ(NumberSymbols::FromLocale().decimal, ".");
}

}  // namespace
}  // namespace tarvello
