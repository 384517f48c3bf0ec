// The output folder as a song source: which files are read, in name order whatever order
// the file system lists them in, read errors, the song limit and locked files.

#include "sources/output_folder_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "sources/source_test.h"

namespace tarvello {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ReadFolderSongsTest : public testing::SourceTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_);
    for (int i = 0; i < 3; ++i) CopySong(SongName(i));
    fakes::WriteFile(folder_ + "/SD_F_000.MGR", std::string(9632, '\0'));
    CopySong(".hidden.3G2");
    std::filesystem::create_directories(folder_ + "/sub.3G2");
  }
  static std::string SongName(int i) { return "SDS_000" + std::to_string(i) + ".3G2"; }
  std::string SongPath(int i) const { return folder_ + "/" + SongName(i); }
  void CopySong(const std::string& name) {
    std::filesystem::copy_file(TestSong("tagged.m4a"), folder_ + "/" + name);
  }
  FolderSongs Read() {
    return ReadFolderSongs(files_, names_, temp_.path() + "/", folder_, table_, staging_);
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (int32_t i = 0; i < table_.TrackCount(); ++i)
      paths.emplace_back(FieldText(table_[i].FileName));
    return paths;
  }

  std::string folder_ = temp_.Path("card/PRIVATE/AU/DF/D_SD");
};

TEST_F(ReadFolderSongsTest, SongsOnlyUnderTheirFolderPaths) {
  files_.locked.insert(SongPath(1));  // read through a temporary copy
  const FolderSongs songs = Read();
  EXPECT_TRUE(songs.messages.empty());
  EXPECT_EQ(Paths(), (std::vector<std::string>{SongPath(0), SongPath(1), SongPath(2)}));
  EXPECT_EQ(TempEntryCount(), 1u);  // the card's folder only: the copy is gone again
}

// Whatever order the file system lists the folder in, the songs come in the byte order of
// their names: SDS_0000 first, and bytes above 0x7F after every ASCII letter.
TEST_F(ReadFolderSongsTest, SongsComeInTheByteOrderOfTheirNamesForAnyListingOrder) {
  for (const char* name : {"SDS_0010.3G2", "Z.m4a", "a.m4a", "曲.m4a", "SDS_000.3G2"}) {
    CopySong(name);
  }
  std::vector<std::string> expected;
  for (const char* name : {"SDS_000.3G2", "SDS_0000.3G2", "SDS_0001.3G2", "SDS_0002.3G2",
                           "SDS_0010.3G2", "Z.m4a", "a.m4a", "曲.m4a"}) {
    expected.push_back(folder_ + "/" + name);
  }
  std::mt19937 random(20261207);
  for (int round = 0; round < 20; ++round) {
    files_.reorder_listing = [&](std::vector<DirEntry>& entries) {
      std::shuffle(entries.begin(), entries.end(), random);
    };
    table_.ClearTable();
    Read();
    ASSERT_EQ(Paths(), expected) << "round " << round;
  }
}

// A file that cannot be opened, or that the walk refuses, is left out without a word; a
// song whose reading fails part-way stays listed and is named, with the system's reason,
// in one message for all of them.
TEST_F(ReadFolderSongsTest, ReadErrorsKeepTheSongAndAreReportedInOneMessage) {
  const std::string unopenable = folder_ + "/SDS_0003.3G2";
  CopySong("SDS_0003.3G2");
  files_.locked.insert(unopenable);
  files_.FailAt(fakes::FileOp::kCopyToNew, 1);             // and its copy fails too
  files_.read_fails_at[SongPath(0)] = 0;                   // the first read fails
  files_.read_fails_at[SongPath(2)] = 40;                  // a bad sector after the file type box
  files_.read_fails_at[folder_ + "/SD_F_000.MGR"] = 9632;  // read whole: refused as no song

  const FolderSongs songs = Read();
  EXPECT_EQ(Paths(), (std::vector<std::string>{SongPath(0), SongPath(1), SongPath(2)}));
  EXPECT_EQ(songs.read_errors, (std::vector<std::string>{SongPath(0), SongPath(2)}));
  ASSERT_EQ(songs.messages.size(), 1u);
  const std::string& message = songs.messages[0];
  EXPECT_TRUE(message.starts_with(kFolderReadErrorsMessage));
  const std::string reason = std::system_category().message(EIO);
  EXPECT_THAT(message, HasSubstr("\r\n" + SongPath(0) + ": " + reason));
  EXPECT_THAT(message, HasSubstr("\r\n" + SongPath(2) + ": " + reason));
  EXPECT_THAT(message, Not(HasSubstr(SongPath(1))));
  EXPECT_THAT(message, Not(HasSubstr(unopenable)));
  // The kept songs carry their size, so the summary counts them.
  const auto size = static_cast<int64_t>(std::filesystem::file_size(SongPath(2)));
  EXPECT_EQ(table_[0].FileSize, size);
  EXPECT_EQ(table_[2].FileSize, size);
}

TEST_F(ReadFolderSongsTest, TheSongLimitStopsTheListingOnce) {
  FillToOneBelowTheLimit();
  EXPECT_EQ(Read().messages, std::vector<std::string>{TrackLimitText()});
  EXPECT_EQ(table_.TrackCount(), kMaxTracks);
}

}  // namespace
}  // namespace tarvello
