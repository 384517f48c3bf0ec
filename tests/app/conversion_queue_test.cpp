// The window's conversion queue over real files: rows enter at once from the sources'
// own tags, and their records become the converted songs when the results are delivered.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>

#include "app/conversion_queue.h"
#include "catalogue/m4a_reader.h"
#include "common/cp932.h"
#include "convert/made_sources.h"
#include "fakes/tmpfs_card.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

class ConversionQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFfmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(3) +
                                   " -ac 2 -metadata title=\"歌\" -metadata artist=A " + Mp3()));
    ASSERT_TRUE(
        testing::RunFfmpeg(testing::Tone(2, 32000) + " -ac 6 -metadata title=Six " + Flac()));
  }
  std::string Mp3() const { return dir_.Path("one.mp3"); }
  std::string Flac() const { return dir_.Path("six.flac"); }

  // Delivers until every job has ended.
  std::vector<int32_t> DeliverAll(ConversionQueue& queue, std::vector<std::string>& failures) {
    std::vector<int32_t> changed;
    for (int round = 0; round < 600 && queue.Unfinished() > 0; ++round) {
      queue.WaitForResult(100);
      for (const int32_t index : queue.Deliver(table_, staging_, failures))
        changed.push_back(index);
    }
    return changed;
  }

  fakes::TempDir dir_;
  fakes::TempDir cache_;
  PosixFileSystem files_;
  TrackTable table_;
  TTrackInfo staging_{};
  std::atomic<int> wakes_{0};
};

TEST_F(ConversionQueueTest, RowsEnterAtOnceAndBecomeTheConvertedSongs) {
  ConversionQueue queue(files_, cache_.path(), ConvertSettings{}, [this] { ++wakes_; });
  for (const std::string& source : {Mp3(), Flac()}) {
    ASSERT_TRUE(queue.Admit(source, staging_)) << source;
    EXPECT_EQ(FieldText(staging_.FileName), source);
    ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
  }
  // The estimate: the play time at the bit rate, and the channels the song will have.
  EXPECT_EQ(FieldText(table_[0].Title), Utf8ToCp932("歌"));
  EXPECT_EQ(table_[0].Time, 3);
  EXPECT_NEAR(static_cast<double>(table_[0].FileSize), 3.05 * 128000 / 8, 2000);
  EXPECT_EQ(table_[1].ChNum, 2);
  EXPECT_EQ(table_[1].SampleRate, 44100);
  // A record deleted before its song is ready stays as it is.
  ASSERT_TRUE(queue.Admit(Mp3(), staging_));
  ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
  table_[2].Deleted = 1;

  fakes::WriteFile(dir_.Path("notes.txt"), "not music");
  EXPECT_FALSE(queue.Admit(dir_.Path("notes.txt"), staging_));

  std::vector<std::string> failures;
  std::vector<int32_t> changed = DeliverAll(queue, failures);
  std::sort(changed.begin(), changed.end());
  EXPECT_EQ(queue.Unfinished(), 0);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(changed, (std::vector<int32_t>{0, 1}));
  EXPECT_GT(wakes_.load(), 0);
  for (int32_t index : {0, 1}) {
    const std::string song(FieldText(table_[index].FileName));
    EXPECT_EQ(queue.StateOf(song), ConversionState::kReady);
    EXPECT_EQ(queue.SourceOf(song), index == 0 ? Mp3() : Flac());
    auto record = std::make_unique<TTrackInfo>();
    EXPECT_TRUE(ReadM4aRecord(files_, *record, song, song).Accepted());
  }
  EXPECT_EQ(FieldText(table_[0].Title), Utf8ToCp932("歌"));
  EXPECT_EQ(table_[1].ChNum, 2);
  EXPECT_EQ(FieldText(table_[2].FileName), Mp3());
  EXPECT_EQ(queue.StateOf(Mp3()), ConversionState::kReady);
}

TEST_F(ConversionQueueTest, CancelledWorkComesBackAndFailuresNameTheirFile) {
  ConversionQueue queue(files_, cache_.path(), ConvertSettings{}, {});
  ASSERT_TRUE(queue.Admit(Mp3(), staging_));
  ASSERT_EQ(table_.StoreTrack(0, staging_), StoreResult::kStored);
  // Cancelled work is no failure to report, but the song is not ready.
  queue.CancelAll();
  std::vector<std::string> failures;
  DeliverAll(queue, failures);
  EXPECT_EQ(queue.Unfinished(), 0);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(FieldText(table_[0].FileName), Mp3());
  EXPECT_EQ(queue.StateOf(Mp3()), ConversionState::kCancelled);
  // The output command queues cancelled work again.
  queue.RetryCancelled();
  DeliverAll(queue, failures);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(queue.StateOf(std::string(FieldText(table_[0].FileName))), ConversionState::kReady);

  // A file that vanished after it was admitted fails with its name.
  const std::string gone = dir_.Path("gone.flac");
  std::filesystem::copy_file(Flac(), gone);
  ConversionQueue second(files_, cache_.path(), ConvertSettings{}, {}, 1);
  ASSERT_TRUE(second.Admit(gone, staging_));
  std::filesystem::remove(gone);
  DeliverAll(second, failures);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find(gone), std::string::npos);
  // The window's words first, the system's detail after them.
  EXPECT_NE(failures[0].find("\r\nファイルがオープンできません. (cannot open: "), std::string::npos)
      << failures[0];
  EXPECT_EQ(second.StateOf(gone), ConversionState::kFailed);
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

// The rows learn of every change through the file names the queue hands over: each
// source once per change, and the song its records name once it is made.
TEST_F(ConversionQueueTest, TheFilesWhoseStateChangedAreNamedForTheRows) {
  ConversionQueue queue(files_, cache_.path(), ConvertSettings{}, [this] { ++wakes_; });
  ASSERT_TRUE(queue.Admit(Mp3(), staging_));
  ASSERT_EQ(table_.StoreTrack(0, staging_), StoreResult::kStored);
  EXPECT_EQ(queue.TakeChangedFiles(), std::unordered_set<std::string>{Mp3()});
  std::vector<std::string> failures;
  DeliverAll(queue, failures);
  const std::string song(FieldText(table_[0].FileName));
  ASSERT_NE(song, Mp3());
  // Started and finished: the source, and the song its record now names.
  EXPECT_EQ(queue.TakeChangedFiles(), (std::unordered_set<std::string>{Mp3(), song}));
  EXPECT_TRUE(queue.TakeChangedFiles().empty());

  // Added again, the record is the song's at once: no job, no estimate.
  ASSERT_TRUE(queue.Admit(Mp3(), staging_));
  EXPECT_EQ(FieldText(staging_.FileName), song);
  EXPECT_EQ(staging_.Time, table_[0].Time);
  EXPECT_EQ(queue.Unfinished(), 0);
  EXPECT_EQ(queue.ConversionOf(song), (RowConversion{ConversionState::kReady, {}}));
  EXPECT_EQ(queue.TakeChangedFiles(), std::unordered_set<std::string>{song});

  // A song gone from the cache is made again: the rows naming the source or the old song
  // both wait for it.
  std::filesystem::remove(song);
  ASSERT_TRUE(queue.Admit(Mp3(), staging_));
  EXPECT_EQ(FieldText(staging_.FileName), Mp3());
  EXPECT_EQ(queue.Unfinished(), 1);
  EXPECT_EQ(queue.TakeChangedFiles(), (std::unordered_set<std::string>{Mp3(), song}));
  EXPECT_EQ(queue.ConversionOf(Mp3()).state, ConversionState::kWaiting);
  EXPECT_EQ(queue.ConversionOf(song).state, ConversionState::kWaiting);
  EXPECT_TRUE(queue.TakeAdmittedAgain());
  EXPECT_FALSE(queue.TakeAdmittedAgain());
}

// A cache far too small for its songs: the songs the rows use stay through its trims and
// through emptying; a song another process removed is made again for the rows naming it;
// a source added again takes its song at once.
TEST_F(ConversionQueueTest, SongsInUseOutliveASmallCache) {
  ConversionQueue queue(files_, cache_.path(), ConvertSettings{}, {}, 2, 1);
  const std::string extra = dir_.Path("extra.wav");
  ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(1) + " -ac 2 " + extra));
  for (const std::string& source : {Mp3(), Flac(), extra}) {
    ASSERT_TRUE(queue.Admit(source, staging_));
    ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
  }
  std::vector<std::string> failures;
  DeliverAll(queue, failures);
  ASSERT_TRUE(failures.empty());
  const auto song_of = [&](int32_t index) {
    return std::string(FieldText(table_[index].FileName));
  };
  for (int32_t index : {0, 1, 2}) {
    EXPECT_TRUE(std::filesystem::exists(song_of(index))) << index;
    EXPECT_TRUE(queue.Cache().IsPinned(song_of(index))) << index;
  }
  // The row of the WAV goes: its song is no longer kept.
  const std::string unused = song_of(2);
  table_[2].Deleted = 1;
  queue.ReleaseUnused(table_);
  EXPECT_FALSE(queue.Cache().IsPinned(unused));
  queue.Cache().Trim();
  EXPECT_FALSE(std::filesystem::exists(unused));
  EXPECT_TRUE(std::filesystem::exists(song_of(0)));
  EXPECT_EQ(queue.Cache().Clear().kept_in_use, 2);

  // Another process trimmed the MP3's song; the rows naming it wait for it to be made again.
  const std::string mp3_song = song_of(0);
  EXPECT_FALSE(queue.ReconvertIfGone(mp3_song));
  std::filesystem::remove(mp3_song);
  EXPECT_TRUE(queue.ReconvertIfGone(mp3_song));
  EXPECT_NE(queue.StateOf(mp3_song), ConversionState::kReady);
  ASSERT_TRUE(queue.Admit(Mp3(), staging_));  // the same source once more, meanwhile
  ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
  DeliverAll(queue, failures);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(queue.StateOf(mp3_song), ConversionState::kReady);
  EXPECT_EQ(song_of(0), mp3_song);
  EXPECT_EQ(song_of(3), mp3_song);
  EXPECT_TRUE(std::filesystem::exists(mp3_song));
  EXPECT_TRUE(queue.Cache().IsPinned(mp3_song));

  // Added again once its song is there, a source is that song at once.
  ASSERT_TRUE(queue.Admit(Flac(), staging_));
  EXPECT_EQ(FieldText(staging_.FileName), song_of(1));
  EXPECT_EQ(staging_.ChNum, 2);
  EXPECT_EQ(queue.Unfinished(), 0);
}

// A conversion that finds the cache's disk full fails with a message that says so; the
// row stays as it was and nothing half-made is left.
TEST_F(ConversionQueueTest, AFullCacheDiskIsNamedInTheRowsFailure) {
  fakes::TmpfsCard small_disk("16k");
  if (!small_disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  ConversionQueue queue(files_, small_disk.root() + "/converted", ConvertSettings{}, {}, 1);
  ASSERT_TRUE(queue.Admit(Flac(), staging_));
  ASSERT_EQ(table_.StoreTrack(0, staging_), StoreResult::kStored);
  std::vector<std::string> failures;
  DeliverAll(queue, failures);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0], Flac() + "\r\nキャッシュのディスクがいっぱいです.");
  EXPECT_EQ(queue.StateOf(Flac()), ConversionState::kFailed);
  EXPECT_EQ(table_.TrackCount(), 1);
  EXPECT_EQ(FieldText(table_[0].FileName), Flac());
  EXPECT_TRUE(std::filesystem::is_empty(small_disk.root() + "/converted"));
}

TEST_F(ConversionQueueTest, WorkForSourcesNoRowListsIsDroppedUntilAddedAgain) {
  ConversionQueue queue(
      files_, cache_.path(), ConvertSettings{}, [] {}, 1);
  for (const std::string& source : {Mp3(), Flac()}) {
    ASSERT_TRUE(queue.Admit(source, staging_));
    ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
  }
  // The FLAC's row was deleted: only the MP3 is listed.
  queue.Prioritize({Mp3()}, {});
  std::vector<std::string> failures;
  DeliverAll(queue, failures);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(queue.StateOf(std::string(FieldText(table_[0].FileName))), ConversionState::kReady);
  EXPECT_EQ(queue.StateOf(Flac()), ConversionState::kCancelled);
  // The output's retry of cancelled work leaves it alone...
  queue.RetryCancelled();
  EXPECT_EQ(queue.Unfinished(), 0);
  // ...and adding the file again makes its song.
  ASSERT_TRUE(queue.Admit(Flac(), staging_));
  EXPECT_EQ(queue.Unfinished(), 1);
  DeliverAll(queue, failures);
  EXPECT_EQ(queue.StateOf(Flac()), ConversionState::kReady);
}

}  // namespace
}  // namespace tarvello
