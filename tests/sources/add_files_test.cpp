// The adding of one user path: the readable path and its temporary copy, the song limit,
// the M4A reader, the track-list hook, and the message of every way out.

#include "sources/add_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "sources/source_test.h"

namespace tarvello {
namespace {

class AddSongPathTest : public testing::SourceTest {
 protected:
  AddOutcome Add(const std::string& path) { return AddSongPath(context_, path); }
  // The message of the error the adding of `path` raises.
  std::string ErrorOf(const std::string& path) {
    try {
      Add(path);
    } catch (const FileError& error) {
      return error.what();
    }
    return "no error";
  }

  std::vector<std::string> lists_read_;
  bool list_stores_songs_ = false;
  std::vector<std::string> messages_;
  AddContext context_{files_,
                      names_,
                      temp_.path() + "/",
                      table_,
                      staging_,
                      [this](const std::string& path) {
                        lists_read_.push_back(path);
                        return list_stores_songs_;
                      },
                      [this](const std::string& text) { messages_.push_back(text); }};
};

TEST_F(AddSongPathTest, SongsAreStoredUnderTheUsersPathWithoutAMessage) {
  EXPECT_EQ(Add(TestSong("tagged.m4a")), AddOutcome::kAdded);
  files_.locked.insert(TestSong("japanese.m4a"));
  EXPECT_EQ(Add(TestSong("japanese.m4a")), AddOutcome::kAdded);
  ASSERT_EQ(table_.TrackCount(), 2);
  EXPECT_EQ(FieldText(table_[0].FileName), TestSong("tagged.m4a"));
  EXPECT_EQ(FieldText(table_[1].FileName), TestSong("japanese.m4a"));  // not the copy's name
  EXPECT_EQ(names_.value(), 1);
  EXPECT_EQ(TempEntryCount(), 0u);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(lists_read_.empty());
}

TEST_F(AddSongPathTest, FilesTheReaderRefusesGoToTheTrackListReader) {
  EXPECT_EQ(Add(TestSong("isom_brand.m4a")), AddOutcome::kSkipped);
  EXPECT_EQ(messages_, std::vector<std::string>{"追加できる曲情報ではありません.\r\n" +
                                                TestSong("isom_brand.m4a") +
                                                "\r\n形式: メジャーブランドが isom です"});
  list_stores_songs_ = true;
  files_.locked.insert(TestSong("isom_brand.m4a"));
  EXPECT_EQ(Add(TestSong("isom_brand.m4a")), AddOutcome::kAdded);
  EXPECT_EQ(messages_.size(), 1u);
  ASSERT_EQ(lists_read_.size(), 2u);
  EXPECT_EQ(lists_read_[0], TestSong("isom_brand.m4a"));
  EXPECT_EQ(lists_read_[1], temp_.Path("~VARKELIN00000.TMP"));  // the list reads the copy
  EXPECT_EQ(TempEntryCount(), 0u);
}

TEST_F(AddSongPathTest, AFileThatCannotBeOpenedIsSkippedWithItsPath) {
  const std::string missing = temp_.Path("gone.m4a");
  EXPECT_EQ(Add(missing), AddOutcome::kSkipped);
  files_.locked.insert(TestSong("tagged.m4a"));
  files_.FailAt(fakes::FileOp::kCopyToNew, 1);
  EXPECT_EQ(Add(TestSong("tagged.m4a")), AddOutcome::kSkipped);
  EXPECT_EQ(messages_, (std::vector<std::string>{
                           "ファイルがオープンできません.\r\n" + missing,
                           "ファイルがオープンできません.\r\n" + TestSong("tagged.m4a")}));
  EXPECT_EQ(table_.TrackCount(), 0);
}

TEST_F(AddSongPathTest, TheSongLimitStopsTheAddingAndLeavesNoCopy) {
  FillToOneBelowTheLimit();
  EXPECT_EQ(Add(TestSong("tagged.m4a")), AddOutcome::kAdded);
  files_.locked.insert(TestSong("tagged.m4a"));
  EXPECT_EQ(Add(TestSong("tagged.m4a")), AddOutcome::kStop);
  EXPECT_EQ(messages_, std::vector<std::string>{"表示できるのは最大 10000 曲です."});
  EXPECT_EQ(table_.TrackCount(), kMaxTracks);
  EXPECT_EQ(names_.value(), 1);  // the copy was made, and deleted again
  EXPECT_EQ(TempEntryCount(), 0u);
}

TEST_F(AddSongPathTest, RunningOutOfMemoryStopsTheAddingWithOneMessage) {
  table_.LimitGrowthForTests(1);
  EXPECT_EQ(Add(TestSong("tagged.m4a")), AddOutcome::kAdded);
  files_.locked.insert(TestSong("japanese.m4a"));
  EXPECT_EQ(Add(TestSong("japanese.m4a")), AddOutcome::kStop);
  EXPECT_EQ(messages_, std::vector<std::string>{"メモリ不足のためこれ以上曲を追加できません."});
  EXPECT_TRUE(lists_read_.empty());
  EXPECT_EQ(table_.TrackCount(), 1);
  EXPECT_EQ(TempEntryCount(), 0u);
}

TEST_F(AddSongPathTest, AReadErrorNamesTheSystemsReasonAndTheUsersFile) {
  // A device attribute that opens but refuses every read, and a locked file whose
  // temporary copy cannot be read.
  const char* device = "/sys/class/net/lo/speed";
  const std::string link = temp_.Path("speed.m4a");
  if (std::filesystem::exists(device)) {
    std::filesystem::create_symlink(device, link);
    EXPECT_EQ(ErrorOf(link), std::system_category().message(EINVAL) + "\r\n" + link);
  }
  files_.locked.insert(TestSong("tagged.m4a"));
  files_.unreadable.insert(temp_.Path("~VARKELIN00000.TMP"));
  EXPECT_EQ(ErrorOf(TestSong("tagged.m4a")),
            std::system_category().message(EIO) + "\r\n" + TestSong("tagged.m4a"));
  EXPECT_EQ(table_.TrackCount(), 0);
  EXPECT_EQ(TempEntryCount(), std::filesystem::exists(link) ? 1u : 0u);  // only the link
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

// A copy of an AAC test song whose sample entry says ALAC: the walk takes it as before.
std::string AlacLabelledCopy(const std::string& from, const std::string& to) {
  std::string bytes = fakes::ReadFile(from);
  const size_t entry = bytes.find("mp4a");
  EXPECT_NE(entry, std::string::npos);
  bytes.replace(entry, 4, "alac");
  fakes::WriteFile(to, bytes);
  return to;
}

TEST_F(AddSongPathTest, OnlyAcceptedSongsWhoseAudioIsNotAacGoToTheConverter) {
  std::vector<std::string> offered;
  bool converter_takes = true;
  context_.add_converted = [&](const std::string& path) {
    offered.push_back(path);
    // The converter fills the staging record with its own values, taken or not.
    StoreText(staging_.Title, "scribbled");
    if (!converter_takes) return false;
    // It stores its own record, as the window's converter does.
    StoreText(staging_.FileName, path);
    return table_.StoreTrack(table_.TrackCount(), staging_) == StoreResult::kStored;
  };
  const std::string alac = AlacLabelledCopy(TestSong("tagged.m4a"), temp_.Path("alac.m4a"));

  // An AAC song never reaches the converter, so no FFmpeg probe slows the adding.
  EXPECT_EQ(Add(TestSong("tagged.m4a")), AddOutcome::kAdded);
  EXPECT_TRUE(offered.empty());
  ASSERT_EQ(table_.TrackCount(), 1);

  // The converter's record is the only one: the walk's is not stored beside it.
  EXPECT_EQ(Add(alac), AddOutcome::kAdded);
  EXPECT_EQ(offered, std::vector<std::string>{alac});
  ASSERT_EQ(table_.TrackCount(), 2);
  EXPECT_EQ(FieldText(table_[1].Title), "scribbled");

  // A converter that cannot take it leaves the song as the walk read it, unscribbled.
  converter_takes = false;
  EXPECT_EQ(Add(alac), AddOutcome::kAdded);
  ASSERT_EQ(table_.TrackCount(), 3);
  EXPECT_EQ(FieldText(table_[2].Title), FieldText(table_[0].Title));
  EXPECT_EQ(FieldText(table_[2].FileName), alac);

  // Without a converter (conversion off) the song is kept as it is, as ever.
  context_.add_converted = {};
  EXPECT_EQ(Add(alac), AddOutcome::kAdded);
  ASSERT_EQ(table_.TrackCount(), 4);
  EXPECT_EQ(FieldText(table_[3].Title), FieldText(table_[0].Title));
  EXPECT_EQ(offered.size(), 2u);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(lists_read_.empty());
}

}  // namespace
}  // namespace tarvello
