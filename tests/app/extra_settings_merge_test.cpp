// The extra settings file holds the conversion settings in a section of their own; the
// file an earlier version kept them in is folded in once and removed after a write.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/card_options.h"
#include "app/conversion_settings_file.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

TEST(ExtraSettingsMergeTest, TheEarlierConversionFileIsFoldedInAndRemovedOnlyAfterAWrite) {
  fakes::TempDir dir;
  fakes::LockingFileSystem files;
  const std::string ini = dir.Path("tarvello.INI");
  const std::string path = ExtraSettingsFileName(ini);
  const std::string legacy = dir.Path("conversion.ini");
  EXPECT_TRUE(ReadConversionSettings(LoadExtraSettings(files, path)).enabled);
  EXPECT_EQ(ReadConversionSettings(LoadExtraSettings(files, path)).bit_rate_kbps, 128);

  // The first version's card keys had no header; the conversion file was CRLF or LF.
  fakes::WriteFile(path, "verify_after_write=0\n");
  fakes::WriteFile(legacy, "[Conversion]\r\nEnabled=0\r\nBitRate=192\r\n");
  CardOptions card;
  card.Load(files, ini);
  EXPECT_FALSE(card.verify());
  ConvertSettings read = ReadConversionSettings(LoadExtraSettings(files, path));
  EXPECT_FALSE(read.enabled);
  EXPECT_EQ(read.bit_rate_kbps, 192);

  // A failed write keeps the earlier file, so nothing is lost.
  files.fail_write_at = 1;
  EXPECT_FALSE(card.Save(files));
  EXPECT_TRUE(std::filesystem::exists(legacy));
  ASSERT_TRUE(card.Save(files));
  EXPECT_FALSE(std::filesystem::exists(legacy));
  EXPECT_EQ(fakes::ReadFile(path),
            "[Card]\nbackups_to_keep=0\nverify_after_write=0\n\n"
            "[Conversion]\nBitRate=192\nEnabled=0\n");

  // Its own section wins over a stale earlier file; values not offered give the defaults.
  fakes::WriteFile(legacy, "[Conversion]\nBitRate=256\n");
  EXPECT_EQ(ReadConversionSettings(LoadExtraSettings(files, path)).bit_rate_kbps, 192);
  ASSERT_TRUE(UpdateExtraSettings(files, path, [](ExtraSettings& file) {
    WriteConversionSettings(file, {true, 100});
  }));
  read = ReadConversionSettings(LoadExtraSettings(files, path));
  EXPECT_TRUE(read.enabled);
  EXPECT_EQ(read.bit_rate_kbps, 128);
  for (const bool enabled : {true, false}) {
    for (const int kbps : kOfferedBitRatesKbps) {
      ExtraSettings file;
      WriteConversionSettings(file, {enabled, kbps});
      read = ReadConversionSettings(ExtraSettings::Parse(file.Write()));
      EXPECT_EQ(read.enabled, enabled);
      EXPECT_EQ(read.bit_rate_kbps, kbps);
    }
  }
}

}  // namespace
}  // namespace tarvello
