// The conversion settings' own file: what is written reads back, and anything missing
// or unknown falls back to the defaults.

#include <gtest/gtest.h>

#include "app/conversion_settings_file.h"
#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

TEST(ConversionSettingsFileTest, EveryOfferedSettingReadsBackAndBadValuesFallBack) {
  fakes::TempDir dir;
  PosixFileSystem files;
  const std::string path = ConversionSettingsPath(dir.Path("Tarvello.ini"));
  EXPECT_EQ(path, dir.Path("conversion.ini"));
  const ConvertSettings missing = ReadConversionSettings(files, path);
  EXPECT_TRUE(missing.enabled);
  EXPECT_EQ(missing.bit_rate_kbps, 128);
  for (const bool enabled : {true, false}) {
    for (const int kbps : kOfferedBitRatesKbps) {
      ASSERT_TRUE(WriteConversionSettings(files, path, {enabled, kbps}));
      const ConvertSettings read = ReadConversionSettings(files, path);
      EXPECT_EQ(read.enabled, enabled);
      EXPECT_EQ(read.bit_rate_kbps, kbps);
    }
  }
  fakes::WriteFile(path, "[Conversion]\r\nEnabled=x\r\nBitRate=100\r\n");
  const ConvertSettings bad = ReadConversionSettings(files, path);
  EXPECT_TRUE(bad.enabled);
  EXPECT_EQ(bad.bit_rate_kbps, 128);
}

}  // namespace
}  // namespace tarvello
