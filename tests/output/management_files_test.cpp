// The management files: titles by the title format, whole files byte by byte, the number
// of files, a failing write, and reading a file back.

#include "output/management_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using fakes::FileNamesIn;
using fakes::LockingFileSystem;
using fakes::ReadFile;
using fakes::TempDir;

// The expected bytes, laid out by hand from the file format.
const std::string kHeader(
    "CNTM"
    "\x00\x10\x00\x00"
    "\x00\x00\x25\xA0"
    "\x00\x60"
    "\x00\x64"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00",
    32);

std::string Number(uint32_t value) {
  return {static_cast<char>(value / 0x1000000), static_cast<char>(value / 0x10000 % 0x100),
          static_cast<char>(value / 0x100 % 0x100), static_cast<char>(value % 0x100)};
}

std::string UsedEntry(uint32_t number, const std::string& text) {
  return Number(number) + std::string("\x00\x00\x00\x01", 4) + std::string("\x00\x00\x00\x11", 4) +
         std::string("ja-JP\x00\x00\x00", 8) + Number(static_cast<uint32_t>(text.size())) + text +
         std::string(40 - text.size(), '\0') + std::string(32, '\0');
}

std::string FillerEntry(uint32_t number) {
  return Number(number) + std::string(92, '\0');
}

// Titles "t0", "t1", ... for `count` output targets.
std::vector<std::string> Titles(int count) {
  std::vector<std::string> titles;
  for (int i = 0; i < count; ++i) titles.push_back("t" + std::to_string(i));
  return titles;
}

// The whole expected file `file_number` for `titles`.
std::string ExpectedFile(int file_number, const std::vector<std::string>& titles) {
  std::string bytes = kHeader;
  for (uint32_t number = file_number * 100; number < file_number * 100u + 100; ++number) {
    bytes += number < titles.size() ? UsedEntry(number, titles[number]) : FillerEntry(number);
  }
  return bytes;
}

TOutputOptions Format(uint8_t title_format, uint8_t separator) {
  TOutputOptions options;
  options.TitleFormat = title_format;
  options.Separator = separator;
  return options;
}

TEST(ManagementTitleTest, TitleFormatsJoinTitleSeparatorAndArtist) {
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(0, 1)), "abc");
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(1, 1)), "abc_xyz");
  EXPECT_EQ(ManagementTitle("abc", "", Format(1, 1)), "abc_");
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(2, 1)), "xyz_abc");
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(1, 0)), "abc\x81\x5Exyz");
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(2, 7)),
            "xyz\xA5"
            "abc");
  EXPECT_EQ(ManagementTitle("", "xyz", Format(0, 0)), "");
}

TEST(ManagementTitleTest, ValuesOutsideTheTablesFallBack) {
  // A title format the options never offer gives the title alone; a separator past the
  // table gives the first one.
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(3, 1)), "abc");
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(255, 1)), "abc");
  EXPECT_EQ(ManagementTitle("abc", "xyz", Format(1, 8)), "abc\x81\x5Exyz");
}

TEST(ManagementTitleTest, TextIsCutTo40BytesWithoutSplittingACharacter) {
  EXPECT_EQ(ManagementTitle(std::string(41, 'a'), "", Format(0, 0)), std::string(40, 'a'));
  // 出 (8F 6F) would take bytes 40 and 41.
  EXPECT_EQ(ManagementTitle(std::string(39, 'a') + "\x8F\x6F", "", Format(0, 0)),
            std::string(39, 'a'));
  // The full-width separator would end at byte 41; the artist is left out too.
  EXPECT_EQ(ManagementTitle(std::string(39, 'a'), "xyz", Format(1, 0)), std::string(39, 'a'));
  EXPECT_EQ(ManagementTitle(std::string(38, 'a'), "xyz", Format(1, 0)),
            std::string(38, 'a') + "\x81\x5E");
}

TEST(ManagementFileTest, NamesAndHeader) {
  EXPECT_EQ(ManagementFileName(0), "SD_F_000.MGR");
  EXPECT_EQ(ManagementFileName(12), "SD_F_012.MGR");
  EXPECT_EQ(ManagementFileName(1000), "SD_F_1000.MGR");
  EXPECT_EQ(ManagementHeader(), kHeader);
}

TEST(ManagementFileTest, EntriesHoldLengthAndTextOfTheCutTitles) {
  const std::vector<std::string> titles = {
      ManagementTitle(std::string(41, 'a'), "", Format(0, 0)),
      ManagementTitle(std::string(39, 'b') + "\x8F\x6F", "", Format(0, 0)), ""};
  const std::string bytes = ManagementFileBytes(0, titles);
  ASSERT_EQ(bytes.size(), 9632u);
  EXPECT_EQ(bytes.substr(32, 96), UsedEntry(0, std::string(40, 'a')));
  EXPECT_EQ(bytes.substr(32 + 96, 96), UsedEntry(1, std::string(39, 'b')));
  EXPECT_EQ(bytes.substr(32 + 2 * 96, 96), UsedEntry(2, ""));
  // A text that reaches the file uncut still stays inside its 40 bytes.
  EXPECT_EQ(ManagementFileBytes(0, {std::string(50, 'c')}).substr(32, 96),
            UsedEntry(0, std::string(40, 'c')));
}

class WriteManagementFilesTest : public ::testing::Test {
 protected:
  // Writes the files for `titles` into `folder`; returns the failing path, counting the
  // reports.
  std::optional<std::string> Write(const std::vector<std::string>& titles, const TempDir& folder) {
    return WriteManagementFiles(files_, folder.path() + "/", titles, [this] { ++written_; });
  }

  TempDir folder_;
  LockingFileSystem files_;
  int written_ = 0;
};

TEST_F(WriteManagementFilesTest, EveryHundredTargetsFillOneFileByteForByte) {
  const struct {
    int targets;
    std::vector<std::string> files;
  } cases[] = {{0, {}},
               {1, {"SD_F_000.MGR"}},
               {100, {"SD_F_000.MGR"}},
               {101, {"SD_F_000.MGR", "SD_F_001.MGR"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.targets);
    const TempDir folder;
    written_ = 0;
    const std::vector<std::string> titles = Titles(c.targets);
    EXPECT_EQ(Write(titles, folder), std::nullopt);
    EXPECT_EQ(written_, static_cast<int>(c.files.size()));
    ASSERT_EQ(FileNamesIn(folder.path()), c.files);
    for (size_t file = 0; file < c.files.size(); ++file) {
      EXPECT_EQ(ReadFile(folder.Path(c.files[file])), ExpectedFile(static_cast<int>(file), titles));
    }
  }
}

TEST_F(WriteManagementFilesTest, AFailingWriteStopsAtThatFileAndNamesIt) {
  files_.fail_write_at = 2;
  EXPECT_EQ(Write(Titles(250), folder_), folder_.Path("SD_F_001.MGR"));
  EXPECT_EQ(written_, 1);
  EXPECT_EQ(files_.write_calls, 2);
  EXPECT_EQ(FileNamesIn(folder_.path()), std::vector<std::string>{"SD_F_000.MGR"});
}

TEST(ParseManagementFileTest, ReadsBackWhatTheWriterWrote) {
  const std::vector<std::string> titles = {"abc", std::string(40, 'z'), "\x8F\x6F"};
  const std::optional<ManagementFile> file = ParseManagementFile(ManagementFileBytes(0, titles));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->magic, "CNTM");
  EXPECT_EQ(file->version, 0x00100000u);
  EXPECT_EQ(file->file_size, 9632u);
  EXPECT_EQ(file->entry_size, 96u);
  EXPECT_EQ(file->entry_count, 100u);
  ASSERT_EQ(file->entries.size(), 100u);
  for (uint32_t slot = 0; slot < 100; ++slot) {
    const ManagementEntry& entry = file->entries[slot];
    EXPECT_EQ(entry.number, slot);
    EXPECT_EQ(entry.used, slot < titles.size()) << slot;
    const std::string title = slot < titles.size() ? titles[slot] : "";
    EXPECT_EQ(entry.title, title) << slot;
    EXPECT_EQ(entry.length, title.size()) << slot;
  }
  // The second file's running numbers go on from 100.
  const auto second = ParseManagementFile(ManagementFileBytes(1, Titles(101)));
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->entries[0].number, 100u);
  EXPECT_EQ(second->entries[0].title, "t100");
  EXPECT_EQ(second->entries[99].number, 199u);
  EXPECT_FALSE(second->entries[99].used);
}

TEST(ParseManagementFileTest, RefusesWrongSizeOrMagic) {
  const std::string good = ManagementFileBytes(0, {"abc"});
  EXPECT_FALSE(ParseManagementFile("").has_value());
  EXPECT_FALSE(ParseManagementFile(good.substr(0, 9631)).has_value());
  EXPECT_FALSE(ParseManagementFile(good + '\0').has_value());
  std::string wrong_magic = good;
  wrong_magic[3] = 'X';
  EXPECT_FALSE(ParseManagementFile(wrong_magic).has_value());
}

TEST(ParseManagementFileTest, AStoredLengthPastTheFieldKeepsTheTextInside) {
  std::string bytes = ManagementFileBytes(0, {std::string(40, 'q')});
  bytes[32 + 23] = static_cast<char>(200);  // length 200 in entry 0
  const auto file = ParseManagementFile(bytes);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->entries[0].length, 200u);
  EXPECT_EQ(file->entries[0].title, std::string(40, 'q'));
}

}  // namespace
}  // namespace tarvello
