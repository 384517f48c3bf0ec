#include "app/settings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "output/output_folder_rule.h"

namespace tarvello {
namespace {

using namespace std::string_literals;

Settings Read(std::string_view bytes) {
  Settings settings;
  ReadSettings(bytes, settings);
  return settings;
}

Settings ReadOver(Settings settings, std::string_view bytes) {
  ReadSettings(bytes, settings);
  return settings;
}

Settings StartupDefaults() {
  Settings settings;
  settings.height = 512;
  settings.width = 682;
  return settings;
}

TEST(WriteSettingsTest, DefaultFileHasExactBytes) {
  const std::string expected =
      ";Initialize File for Tarvello\r\n"
      "\r\n"
      "[SIZE]\r\n"
      "HEIGHT = 512\r\n"
      "WIDTH = 682\r\n"
      "\r\n"
      "[POSITION]\r\n"
      "TOP = -9999\r\n"
      "LEFT = -9999\r\n"
      "\r\n"
      "[COLUMNWIDTH]\r\n"
      "COL00 = 80\r\n"
      "COL01 = 80\r\n"
      "COL02 = 80\r\n"
      "COL03 = 80\r\n"
      "COL04 = 80\r\n"
      "COL05 = 80\r\n"
      "COL06 = 80\r\n"
      "COL07 = 80\r\n"
      "COL08 = 80\r\n"
      "COL09 = 80\r\n"
      "COL10 = 80\r\n"
      "\r\n"
      "[OUTPUT]\r\n"
      "OUTDIR = \\PRIVATE\\AU\\DF\\D_SD\r\n"
      "PREFIX = SDS\r\n"
      "EXT = 3G2\r\n"
      "TITLE = 0\r\n"
      "SEP = 0\r\n"
      "AUTDST = 1\r\n"
      "BACKUP = 1\r\n"
      "\r\n";
  EXPECT_EQ(WriteSettings(StartupDefaults()), expected);
}

TEST(WriteSettingsTest, DriveLineStandsBeforeOutDirOnlyWhenADriveIsChosen) {
  Settings settings = StartupDefaults();
  settings.out_drive = "/media/me/カード";
  settings.options.AutoImport = false;
  const std::string file = WriteSettings(settings);
  EXPECT_NE(file.find("[OUTPUT]\r\nOUTDRV = /media/me/カード\r\nOUTDIR = "), std::string::npos);
  EXPECT_NE(file.find("AUTDST = 0\r\nBACKUP = 1\r\n\r\n"), std::string::npos);
}

TEST(WriteSettingsTest, WrittenFileRestoresEveryValue) {
  Settings settings;
  settings.height = -20;
  settings.width = 2147483647;
  settings.top = 5000;
  settings.left = -2147483647 - 1;
  for (int column = 0; column < kListColumnCount; ++column) {
    settings.column_widths[static_cast<size_t>(column)] = column * 7 - 3;
  }
  settings.out_drive = "/run/media/me/SD CARD";
  settings.options.OutDir = "\\PRIVATE\\\x95\x5C";  // ends in the second byte 0x5C of "表"
  settings.options.Prefix = "";
  settings.options.Ext = "m4a";
  settings.options.TitleFormat = 2;
  settings.options.Separator = 200;
  settings.options.AutoImport = false;
  settings.options.BackupBeforeOutput = false;

  EXPECT_EQ(Read(WriteSettings(settings)), settings);
}

TEST(WriteSettingsTest, ValueCannotEndTheFileEarlyOrAddLines) {
  Settings settings;
  settings.options.OutDir = "\\A\nHEIGHT = 5";
  settings.options.Prefix = "X\x1A";
  settings.options.Ext = "\nZ";
  settings.options.BackupBeforeOutput = false;

  const Settings read = Read(WriteSettings(settings));
  EXPECT_EQ(read.height, settings.height);
  EXPECT_EQ(read.options.OutDir, "\\A");
  EXPECT_EQ(read.options.Prefix, "X");
  EXPECT_EQ(read.options.Ext, "");
  // The lines after the cut values still arrive.
  EXPECT_FALSE(read.options.BackupBeforeOutput);
}

TEST(ReadSettingsTest, KeysAreExactAndTrimmed) {
  EXPECT_EQ(Read("height = 400\r\n"), Settings());
  EXPECT_EQ(Read("  HEIGHT   =   400  \r\n").height, 400);
  EXPECT_EQ(Read("\tWIDTH\t=\t300\t").width, 300);
  EXPECT_EQ(Read("[SIZE] HEIGHT = 400\r\n"), Settings());
  EXPECT_EQ(Read(";HEIGHT = 400\r\n"), Settings());
  EXPECT_EQ(Read("HEIGHT 400\r\n"), Settings());
  // Only the first character counts as a comment or section mark.
  EXPECT_EQ(Read(" ;HEIGHT = 400\r\n").height, 0);
  EXPECT_EQ(Read(" [x]=1\r\nTOP = 3").top, 3);
}

TEST(ReadSettingsTest, SectionsAreIgnoredAndLaterLinesWin) {
  const Settings settings =
      Read("[OUTPUT]\r\nHEIGHT = 1\r\nLEFT = 9\r\n[SIZE]\r\nHEIGHT = 2\r\nLEFT = bad\r\n");
  EXPECT_EQ(settings.height, 2);
  EXPECT_EQ(settings.left, 9);
}

TEST(ReadSettingsTest, SplitsAtTheFirstEqualsSign) {
  EXPECT_EQ(Read("PREFIX = =A=B").options.Prefix, "=A=");
  EXPECT_EQ(Read("HEIGHT== 5").height, 0);
}

TEST(ReadSettingsTest, IntegerIsAWholeSignedDecimalThatFitsIn32Bits) {
  const struct {
    const char* value;
    int expected;
  } cases[] = {
      {"+5", 5},
      {"-0", 0},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 123},
      {"-2147483649", 123},
      {"99999999999999999999", 123},
      {"1.5", 123},
      {"1e3", 123},
      {"0x10", 123},
      {"12a", 123},
      {"1 2", 123},
      {"--1", 123},
      {"+-1", 123},
      {"++1", 123},
      {"-", 123},
      {"+", 123},
      {"", 123},
  };
  for (const auto& c : cases) {
    Settings settings;
    settings.height = 123;
    ReadSettings("HEIGHT = "s + c.value, settings);
    EXPECT_EQ(settings.height, c.expected) << "value \"" << c.value << "\"";
  }
}

TEST(ReadSettingsTest, PositionMarkerAndOffScreenValuesAreTakenUnchanged) {
  const Settings settings = Read("TOP = 5000\r\nLEFT = -9999\r\nHEIGHT = -3\r\nWIDTH = 1\r\n");
  EXPECT_EQ(settings.top, 5000);
  EXPECT_EQ(settings.left, kCentreMarker);
  EXPECT_EQ(settings.height, -3);
  EXPECT_EQ(settings.width, 1);
}

TEST(ReadSettingsTest, ColumnNumberComesFromTheFourthAndFifthCharacters) {
  Settings start;
  start.column_widths.fill(50);

  const Settings settings =
      ReadOver(start, "COL3 = 11\r\nCOL010 = 12\r\nCOL0999 = 13\r\nCOL7 = abc\r\n");
  EXPECT_EQ(settings.column_widths[3], 11);
  EXPECT_EQ(settings.column_widths[1], 12);  // "COL010" is column "01"
  EXPECT_EQ(settings.column_widths[9], 13);  // "COL0999" is column "09"
  EXPECT_EQ(settings.column_widths[10], 50);
  EXPECT_EQ(settings.column_widths[7], kDefaultColumnWidth);
}

TEST(ReadSettingsTest, ColumnKeysOutOfRangeOrNotNumbersAreIgnored) {
  Settings start;
  start.column_widths.fill(50);
  const Settings settings =
      ReadOver(start, "COL11 = 100\r\nCOL-1 = 100\r\nCOL = 100\r\nCOLOR = 100\r\nCOL 1 = 100\r\n");
  EXPECT_EQ(settings, start);
  EXPECT_EQ(ReadOver(start, "COL10 = 100").column_widths[10], 100);
  EXPECT_EQ(ReadOver(start, "COL00 = -4").column_widths[0], -4);
}

TEST(ReadSettingsTest, StartupDriveIsAMountPoint) {
  EXPECT_EQ(Read("OUTDRV = /media/me/SD\r\n").out_drive, "/media/me/SD");
  EXPECT_EQ(Read("OUTDRV = /media/me/カード  \r\n").out_drive, "/media/me/カード");
  Settings with_drive;
  with_drive.out_drive = "/mnt/card";
  EXPECT_EQ(ReadOver(with_drive, "OUTDRV = e:\r\n").out_drive, "");
  EXPECT_EQ(ReadOver(with_drive, "OUTDRV = 1\r\n").out_drive, "");
  EXPECT_EQ(ReadOver(with_drive, "OUTDRV =\r\n").out_drive, "");
  EXPECT_EQ(ReadOver(with_drive, "OUTDRIVE = /x\r\n").out_drive, "/mnt/card");
}

TEST(ReadSettingsTest, OutDirFollowsTheFolderRule) {
  EXPECT_EQ(Read("OUTDIR = PRIVATE\\MUSIC\\").options.OutDir, "\\PRIVATE\\MUSIC");
  EXPECT_EQ(Read("OUTDIR =").options.OutDir, "\\");
  EXPECT_EQ(Read("OUTDIR = \\").options.OutDir, "\\");
  EXPECT_EQ(Read("OUTDIR = \\MUSIC\\").options.OutDir, "\\MUSIC");
}

TEST(NormalizeOutDirTest, SecondByteOfADoubleByteCharacterIsNoBackslash) {
  // "表" is 95 5C, "ソ" is 83 5C.
  EXPECT_EQ(NormalizeOutDir("\\\x95\x5C"), "\\\x95\x5C");
  EXPECT_EQ(NormalizeOutDir("\x83\x5C"), "\\\x83\x5C");
  EXPECT_EQ(NormalizeOutDir("\\\x95\x5C\\"), "\\\x95\x5C");
  // A lead byte as the last byte stands alone; the walk must not run past the end.
  EXPECT_EQ(NormalizeOutDir("\\A\x81"), "\\A\x81");
  // Half-width katakana (A1..DF) are single bytes, so a backslash after one counts.
  EXPECT_EQ(NormalizeOutDir("\\\xB1\\"), "\\\xB1");
  // Only one trailing backslash goes.
  EXPECT_EQ(NormalizeOutDir("\\\\"), "\\");
  EXPECT_EQ(NormalizeOutDir("\\A\\\\"), "\\A\\");
}

// The cut never splits a double-byte character, as the options dialog cuts.
TEST(ReadSettingsTest, PrefixAndExtKeepTheWholeCharactersOfTheirFirstThreeBytes) {
  EXPECT_EQ(Read("PREFIX = ABCDE").options.Prefix, "ABC");
  EXPECT_EQ(Read("PREFIX =\r\n").options.Prefix, "");
  EXPECT_EQ(Read("PREFIX = A\r\n").options.Prefix, "A");
  EXPECT_EQ(Read("EXT = mpeg4").options.Ext, "mpe");
  EXPECT_EQ(Read("EXT = \x82\xA0\x82\xA2").options.Ext, "\x82\xA0");
  EXPECT_EQ(Read("PREFIX = A\x82\xA0Z").options.Prefix, "A\x82\xA0");
  EXPECT_EQ(Read("PREFIX = AB\x82\xA0").options.Prefix, "AB");
  EXPECT_EQ(Read("EXT = \xB1\x82\xA0").options.Ext, "\xB1\x82\xA0");  // half-width kana
}

TEST(ReadSettingsTest, TitleFormatIsTheLowByteAndAboveTwoIsZero) {
  Settings start;
  start.options.TitleFormat = 1;
  EXPECT_EQ(ReadOver(start, "TITLE = 3").options.TitleFormat, 0);
  EXPECT_EQ(ReadOver(start, "TITLE = -1").options.TitleFormat, 0);
  EXPECT_EQ(ReadOver(start, "TITLE = x").options.TitleFormat, 0);
  EXPECT_EQ(ReadOver(start, "TITLE = 258").options.TitleFormat, 2);
  EXPECT_EQ(ReadOver(start, "TITLE = 2").options.TitleFormat, 2);
  EXPECT_EQ(ReadOver(start, "TITLE = -255").options.TitleFormat, 1);
}

TEST(ReadSettingsTest, SeparatorIsTheLowByteAndBadNumbersKeepIt) {
  Settings start;
  start.options.Separator = 4;
  EXPECT_EQ(ReadOver(start, "SEP = 7").options.Separator, 7);
  EXPECT_EQ(ReadOver(start, "SEP = 9").options.Separator, 9);
  EXPECT_EQ(ReadOver(start, "SEP = 257").options.Separator, 1);
  EXPECT_EQ(ReadOver(start, "SEP = -1").options.Separator, 255);
  EXPECT_EQ(ReadOver(start, "SEP = x").options.Separator, 4);
  EXPECT_EQ(ReadOver(start, "SEP =").options.Separator, 4);
}

TEST(SeparatorAtTest, IndexBeyondTheTableGivesTheFirstSeparator) {
  EXPECT_EQ(SeparatorAt(0), "\x81\x5E");
  EXPECT_EQ(SeparatorAt(6), "\xA4");
  EXPECT_EQ(SeparatorAt(7), "\xA5");
  EXPECT_EQ(SeparatorAt(8), "\x81\x5E");
  EXPECT_EQ(SeparatorAt(255), "\x81\x5E");
}

TEST(ReadSettingsTest, OnlyAnExactZeroSwitchesTheFlagsOff) {
  EXPECT_TRUE(Read("AUTDST = false").options.AutoImport);
  EXPECT_TRUE(Read("AUTDST = 00").options.AutoImport);
  EXPECT_TRUE(Read("AUTDST = -0").options.AutoImport);
  EXPECT_FALSE(Read("AUTDST = 0").options.AutoImport);
  EXPECT_FALSE(Read("AUTDST =  0 \r\n").options.AutoImport);
  EXPECT_FALSE(Read("AUTDST = 0\r\nAUTDST = 1\r\n").options.AutoImport);
  EXPECT_TRUE(Read("BACKUP = no").options.BackupBeforeOutput);
  EXPECT_FALSE(Read("BACKUP = 0").options.BackupBeforeOutput);
  EXPECT_TRUE(Read("BACKUP = 0").options.AutoImport);
}

TEST(ReadSettingsTest, LinesEndAtLineFeedWithOrWithoutCarriageReturn) {
  const Settings settings = Read("HEIGHT = 1\nWIDTH = 2\r\nTOP = 3\r\r\nLEFT = 4");
  EXPECT_EQ(settings.height, 1);
  EXPECT_EQ(settings.width, 2);
  EXPECT_EQ(settings.top, 3);
  EXPECT_EQ(settings.left, 4);  // last line without a line break
  // A carriage return alone does not end a line.
  EXPECT_EQ(Read("HEIGHT = 1\rWIDTH = 2\r\n").height, 0);
  EXPECT_EQ(Read("PREFIX = A\rB\r\n").options.Prefix, "A\rB");
}

TEST(ReadSettingsTest, EndOfFileByteEndsTheFile) {
  const Settings settings = Read("HEIGHT = 1\r\n\x1AWIDTH = 2\r\n");
  EXPECT_EQ(settings.height, 1);
  EXPECT_EQ(settings.width, 0);
  EXPECT_EQ(Read("HEIGHT = 12\x1A"
                 "3\r\n")
                .height,
            12);
}

TEST(ReadSettingsTest, NulAndInvalidCp932BytesAreOrdinaryBytes) {
  EXPECT_EQ(Read("HEIGHT = 4\0\x30\x30\r\nWIDTH = 5"s).height, 0);
  EXPECT_EQ(Read("HEIGHT = 4\0\x30\x30\r\nWIDTH = 5"s).width, 5);
  EXPECT_EQ(Read("\0HEIGHT = 400\0\r\n"s).height, 400);
  EXPECT_EQ(Read("PREFIX = A\0B\r\n"s).options.Prefix, "A\0B"s);
  EXPECT_EQ(Read("PREFIX = \xFF\x80\xFD\xA0\r\nSEP = 3").options.Prefix, "\xFF\x80\xFD");
  EXPECT_EQ(Read("PREFIX = \xFF\x80\xFD\xA0\r\nSEP = 3").options.Separator, 3);
}

TEST(ReadSettingsTest, BinaryGarbageWithoutEqualsSignsChangesNothing) {
  std::mt19937 random(7);
  std::string garbage(1 << 20, '\0');
  for (char& byte : garbage) {
    byte = static_cast<char>(random());
    if (byte == '=') byte = '\n';
  }
  EXPECT_EQ(Read(garbage), Settings());
}

TEST(ReadSettingsTest, RandomLinesReadToNumbersAndFlagsThatSurviveAWrite) {
  // Pieces of real lines, so that keys, numbers and line breaks meet often.
  const std::string pieces[] = {
      "HEIGHT", "WIDTH", "TOP",    "LEFT",   "COL",   "OUTDRV",    "OUTDIR", "PREFIX", "EXT",
      "TITLE",  "SEP",   "AUTDST", "BACKUP", "=",     " ",         "\t",     "\r\n",   "\n",
      "\r",     "0",     "1",      "7",      "-",     "+",         "\\",     "/",      "[",
      ";",      "\x95",  "\xFF",   "\0"s,    "99999", "2147483648"};
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int piece = 0; piece < 400; ++piece) text += pieces[random() % std::size(pieces)];
    const Settings first = Read(text);
    const Settings second = Read(WriteSettings(first));
    EXPECT_EQ(second.height, first.height);
    EXPECT_EQ(second.width, first.width);
    EXPECT_EQ(second.top, first.top);
    EXPECT_EQ(second.left, first.left);
    EXPECT_EQ(second.column_widths, first.column_widths);
    EXPECT_EQ(second.out_drive, first.out_drive);
    EXPECT_EQ(second.options.TitleFormat, first.options.TitleFormat);
    EXPECT_EQ(second.options.Separator, first.options.Separator);
    EXPECT_EQ(second.options.AutoImport, first.options.AutoImport);
    EXPECT_EQ(second.options.BackupBeforeOutput, first.options.BackupBeforeOutput);
  }
}

TEST(ReadSettingsTest, TenMegabyteLinesAreReadInOnePass) {
  const std::string blanks(5 << 20, ' ');
  EXPECT_EQ(Read("HEIGHT =" + blanks + "400" + blanks + "\r\n").height, 400);
  EXPECT_EQ(Read(std::string(10 << 20, '=')), Settings());
  EXPECT_EQ(Read("OUTDIR = " + std::string(10 << 20, '\\')).options.OutDir.size(), (10u << 20) - 1);
  EXPECT_EQ(Read("HEIGHT = " + std::string(10 << 20, '0') + "7").height, 7);
  EXPECT_EQ(Read(std::string(10 << 20, '\n') + "WIDTH=9").width, 9);
}

}  // namespace
}  // namespace tarvello
