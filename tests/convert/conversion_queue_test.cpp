// The window's conversion queue over a scripted pool: rows enter at once from the probe's
// tags, their records become the songs when the results are delivered, work goes in the
// list's order, and the songs the rows use stay pinned in the cache.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "catalogue/m4a_reader.h"
#include "common/cp932.h"
#include "convert/conversion_queue.h"
#include "convert/scripted_pool.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using testing::ScriptedPool;

class ConversionQueueTest : public ::testing::Test {
 protected:
  // A queue over a scripted pool, which `pool_` then names.
  std::unique_ptr<ConversionQueue> MakeQueue(int64_t cache_bytes = kDefaultCacheBytes) {
    return std::make_unique<ConversionQueue>(
        files_, cache_.path(), ConvertSettings{}, [this] { ++wakes_; }, cache_bytes,
        [this](ConvertCache& cache, ConvertListener& listener) {
          auto pool = std::make_unique<ScriptedPool>(cache, listener);
          pool_ = pool.get();
          return pool;
        });
  }
  // Admits `source`, lists its record as the last row, and applies the helper's answer.
  void AddRow(ConversionQueue& queue, const std::string& source) {
    ASSERT_EQ(queue.Admit(source, staging_), Admission::kAdmitted) << source;
    ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
    SettleProbes(queue);
  }
  void SettleProbes(ConversionQueue& queue) {
    std::vector<std::string> failures;
    while (queue.Probing() > 0) {
      queue.WaitForResult(1000);
      queue.Deliver(table_, staging_, failures);
    }
  }
  // Runs the waiting work and delivers its results.
  std::vector<int32_t> RunAndDeliver(ConversionQueue& queue, std::vector<std::string>& failures) {
    pool_->RunAll();
    return queue.Deliver(table_, staging_, failures);
  }
  std::string FileNameOf(int32_t index) const {
    return std::string(FieldText(table_[index].FileName));
  }

  const std::string mp3_ = "/music/one.mp3";
  const std::string flac_ = "/music/six.flac";
  fakes::TempDir cache_;
  PosixFileSystem files_;
  TrackTable table_;
  TTrackInfo staging_{};
  std::atomic<int> wakes_{0};
  ScriptedPool* pool_ = nullptr;
};

TEST_F(ConversionQueueTest, RowsEnterAtOnceAndBecomeTheConvertedSongs) {
  auto queue = MakeQueue();
  SourceProbe six = pool_->Probe(flac_, std::atomic<bool>{false});
  six.channels = 6;
  six.sample_rate = 32000;
  pool_->probes[flac_] = six;
  SourceProbe text;
  text.reason = "no audio stream";
  pool_->probes["/music/notes.txt"] = text;
  AddRow(*queue, mp3_);
  AddRow(*queue, flac_);
  // The estimate: the probe's tags, the play time at the bit rate, the song's channels.
  EXPECT_EQ(FileNameOf(0), mp3_);
  EXPECT_EQ(FieldText(table_[0].Title), "one.mp3");
  EXPECT_EQ(table_[0].Time, 3);
  EXPECT_EQ(table_[0].FileSize, 3 * 128000 / 8);
  EXPECT_EQ(table_[1].ChNum, 2);
  EXPECT_EQ(table_[1].SampleRate, 44100);
  // A record deleted before its song is ready stays as it is.
  AddRow(*queue, mp3_);
  table_[2].Deleted = 1;
  // A file the helper refuses is named for the caller, its record left as it is.
  AddRow(*queue, "/music/notes.txt");
  const std::vector<RefusedSource> refused = queue->TakeRefused();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].source, "/music/notes.txt");
  EXPECT_EQ(refused[0].reason, "no audio stream");
  EXPECT_EQ(FieldText(table_[3].Title), "notes");
  EXPECT_EQ(queue->StateOf("/music/notes.txt"), ConversionState::kNone);
  table_[3].Deleted = 1;

  std::vector<std::string> failures;
  std::vector<int32_t> changed = RunAndDeliver(*queue, failures);
  std::sort(changed.begin(), changed.end());
  EXPECT_EQ(queue->Unfinished(), 0);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(changed, (std::vector<int32_t>{0, 1}));
  EXPECT_GT(wakes_.load(), 0);
  for (int32_t index : {0, 1}) {
    EXPECT_EQ(queue->StateOf(FileNameOf(index)), ConversionState::kReady);
    EXPECT_EQ(queue->SourceOf(FileNameOf(index)), index == 0 ? mp3_ : flac_);
    EXPECT_EQ(FieldText(table_[index].Title), "Sine in A");  // the song's own tags now
  }
  EXPECT_EQ(FileNameOf(2), mp3_);
  EXPECT_EQ(queue->StateOf(mp3_), ConversionState::kReady);
}

// The caller never waits for the helper: a file is listed at once under its name while
// the helper looks at it, a queue that goes stops the look, and without a helper program
// nothing is admitted.
TEST_F(ConversionQueueTest, FilesAreListedBeforeTheHelperHasLookedAtThem) {
  auto queue = MakeQueue();
  pool_->HoldProbes(true);
  ASSERT_EQ(queue->Admit(mp3_, staging_), Admission::kAdmitted);
  ASSERT_EQ(table_.StoreTrack(0, staging_), StoreResult::kStored);
  EXPECT_EQ(FieldText(table_[0].Title), "one");
  EXPECT_EQ(table_[0].FileSize, 0);
  EXPECT_EQ(queue->ConversionOf(mp3_).state, ConversionState::kProbing);
  EXPECT_EQ(queue->Probing(), 1);
  EXPECT_EQ(queue->Unfinished(), 1);
  // Added again meanwhile: the one look serves both rows.
  ASSERT_EQ(queue->Admit(mp3_, staging_), Admission::kAdmitted);
  ASSERT_EQ(table_.StoreTrack(1, staging_), StoreResult::kStored);
  EXPECT_EQ(queue->Probing(), 1);

  pool_->HoldProbes(false);
  SettleProbes(*queue);
  for (int32_t index : {0, 1}) {
    EXPECT_EQ(FieldText(table_[index].Title), "one.mp3");
    EXPECT_EQ(table_[index].FileSize, 3 * 128000 / 8);
  }
  EXPECT_EQ(queue->ConversionOf(mp3_).state, ConversionState::kWaiting);
  EXPECT_EQ(pool_->Waiting(), 1u);

  // A look that never ends does not keep the queue from going.
  pool_->HoldProbes(true);
  ASSERT_EQ(queue->Admit(flac_, staging_), Admission::kAdmitted);
  queue.reset();

  auto missing = MakeQueue();
  pool_->missing_helper_places = {"/opt/a/tarvello-convert",
                                  "/usr/libexec/tarvello/tarvello-convert"};
  staging_ = TTrackInfo{};
  EXPECT_EQ(missing->Admit(mp3_, staging_), Admission::kHelperMissing);
  EXPECT_EQ(FieldText(staging_.FileName), "");
  EXPECT_EQ(missing->MissingHelperPlaces(), pool_->missing_helper_places);
  EXPECT_EQ(missing->Unfinished(), 0);
}

// Marked work first, then in the list's order; work no row lists any more is dropped
// until its file is added again, and the output's retry leaves it alone.
TEST_F(ConversionQueueTest, WorkGoesInTheListsOrderAndUnlistedWorkIsDropped) {
  auto queue = MakeQueue();
  const std::vector<std::string> sources = {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"};
  for (const std::string& source : sources) AddRow(*queue, source);
  queue->Prioritize({"/m/c.mp3", "/m/a.mp3", "/m/b.mp3"}, {"/m/b.mp3"});
  std::vector<std::string> failures;
  RunAndDeliver(*queue, failures);
  EXPECT_EQ(pool_->ran, (std::vector<std::string>{"/m/b.mp3", "/m/c.mp3", "/m/a.mp3"}));
  EXPECT_EQ(queue->StateOf("/m/d.mp3"), ConversionState::kCancelled);
  queue->RetryCancelled();
  EXPECT_EQ(queue->Unfinished(), 0);
  AddRow(*queue, "/m/d.mp3");
  RunAndDeliver(*queue, failures);
  EXPECT_EQ(queue->StateOf("/m/d.mp3"), ConversionState::kReady);
  EXPECT_TRUE(failures.empty());
}

TEST_F(ConversionQueueTest, CancelledWorkComesBackAndFailuresNameTheirFileInJapanese) {
  auto queue = MakeQueue();
  AddRow(*queue, mp3_);
  // Cancelled work is no failure to report, but the song is not ready.
  queue->CancelAll();
  std::vector<std::string> failures;
  RunAndDeliver(*queue, failures);
  EXPECT_EQ(queue->Unfinished(), 0);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(queue->StateOf(mp3_), ConversionState::kCancelled);
  // The output command queues cancelled work again.
  queue->RetryCancelled();
  RunAndDeliver(*queue, failures);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(queue->StateOf(FileNameOf(0)), ConversionState::kReady);

  // Each failure: the file, the window's words, the detail after them.
  const struct {
    ConvertProblem problem;
    const char* reason;
    const char* line;
  } cases[] = {
      {ConvertProblem::kCannotOpen, "cannot open: gone",
       "ファイルがオープンできません. (cannot open: gone)"},
      {ConvertProblem::kCannotRead, "cannot read: Input/output error",
       "ファイルが読み込めません. (cannot read: Input/output error)"},
      {ConvertProblem::kHelperCrashed, "the helper was ended by signal 9 (SIGKILL)",
       "変換プログラムが異常終了しました. (the helper was ended by signal 9 (SIGKILL))"},
      {ConvertProblem::kHelperStalled, "no progress for 60 s; the helper was ended",
       "変換が進まなくなったため中止しました. (no progress for 60 s; the helper was ended)"},
      {ConvertProblem::kDiskFull, "the cache disk is full", "キャッシュのディスクがいっぱいです."},
  };
  for (const auto& each : cases) {
    const std::string source = "/music/failing" + std::to_string(&each - cases) + ".flac";
    ConvertResult failed;
    failed.reason = each.reason;
    failed.problem = each.problem;
    pool_->outcomes[source] = failed;
    AddRow(*queue, source);
    failures.clear();
    RunAndDeliver(*queue, failures);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], source + "\r\n" + each.line);
    EXPECT_EQ(queue->ConversionOf(source), (RowConversion{ConversionState::kFailed, each.line}));
  }
  // A file the system cannot read is refused with its problem, for the caller to tell.
  SourceProbe unreadable;
  unreadable.reason = "cannot read: Input/output error";
  unreadable.problem = ConvertProblem::kCannotRead;
  pool_->probes["/music/bad.mp3"] = unreadable;
  AddRow(*queue, "/music/bad.mp3");
  const std::vector<RefusedSource> refused = queue->TakeRefused();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].problem, ConvertProblem::kCannotRead);
}

// The rows learn of every change through the file names the queue hands over: each
// source once per change, and the song its records name once it is made.
TEST_F(ConversionQueueTest, TheFilesWhoseStateChangedAreNamedForTheRows) {
  auto queue = MakeQueue();
  AddRow(*queue, mp3_);
  EXPECT_EQ(queue->TakeChangedFiles(), std::unordered_set<std::string>{mp3_});
  std::vector<std::string> failures;
  RunAndDeliver(*queue, failures);
  const std::string song = FileNameOf(0);
  ASSERT_NE(song, mp3_);
  // Started and finished: the source, and the song its record now names.
  EXPECT_EQ(queue->TakeChangedFiles(), (std::unordered_set<std::string>{mp3_, song}));
  EXPECT_TRUE(queue->TakeChangedFiles().empty());

  // Added again, the record is the song's at once: no job, no estimate.
  ASSERT_EQ(queue->Admit(mp3_, staging_), Admission::kAdmitted);
  EXPECT_EQ(FieldText(staging_.FileName), song);
  EXPECT_EQ(staging_.Time, table_[0].Time);
  EXPECT_EQ(queue->Unfinished(), 0);
  EXPECT_EQ(queue->ConversionOf(song), (RowConversion{ConversionState::kReady, {}}));
  EXPECT_EQ(queue->TakeChangedFiles(), std::unordered_set<std::string>{song});

  // A song gone from the cache is made again: the rows naming the source or the old song
  // both wait for it.
  std::filesystem::remove(song);
  ASSERT_EQ(queue->Admit(mp3_, staging_), Admission::kAdmitted);
  EXPECT_EQ(FieldText(staging_.FileName), mp3_);
  EXPECT_EQ(queue->Unfinished(), 1);
  EXPECT_EQ(queue->TakeChangedFiles(), (std::unordered_set<std::string>{mp3_, song}));
  EXPECT_EQ(queue->ConversionOf(mp3_).state, ConversionState::kWaiting);
  EXPECT_EQ(queue->ConversionOf(song).state, ConversionState::kWaiting);
  EXPECT_TRUE(queue->TakeAdmittedAgain());
  EXPECT_FALSE(queue->TakeAdmittedAgain());
}

// A cache far too small for its songs: the songs the rows use stay through its trims and
// through emptying; a song another process removed is made again for the rows naming it;
// a source added again takes its song at once.
TEST_F(ConversionQueueTest, SongsInUseOutliveASmallCache) {
  auto queue = MakeQueue(1);
  const std::string wav = "/music/extra.wav";
  for (const std::string& source : {mp3_, flac_, wav}) AddRow(*queue, source);
  std::vector<std::string> failures;
  RunAndDeliver(*queue, failures);
  ASSERT_TRUE(failures.empty());
  for (int32_t index : {0, 1, 2}) {
    EXPECT_TRUE(std::filesystem::exists(FileNameOf(index))) << index;
    EXPECT_TRUE(queue->Cache().IsPinned(FileNameOf(index))) << index;
  }
  // The row of the WAV goes: its song is no longer kept.
  const std::string unused = FileNameOf(2);
  table_[2].Deleted = 1;
  queue->ReleaseUnused(table_);
  EXPECT_FALSE(queue->Cache().IsPinned(unused));
  queue->Cache().Trim();
  EXPECT_FALSE(std::filesystem::exists(unused));
  EXPECT_TRUE(std::filesystem::exists(FileNameOf(0)));
  EXPECT_EQ(queue->Cache().Clear().kept_in_use, 2);

  // Another process trimmed the MP3's song; the rows naming it wait for it to be made again.
  const std::string mp3_song = FileNameOf(0);
  EXPECT_FALSE(queue->ReconvertIfGone(mp3_song));
  std::filesystem::remove(mp3_song);
  EXPECT_TRUE(queue->ReconvertIfGone(mp3_song));
  EXPECT_NE(queue->StateOf(mp3_song), ConversionState::kReady);
  AddRow(*queue, mp3_);  // the same source once more, meanwhile
  RunAndDeliver(*queue, failures);
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(queue->StateOf(mp3_song), ConversionState::kReady);
  EXPECT_EQ(FileNameOf(0), mp3_song);
  EXPECT_EQ(FileNameOf(3), mp3_song);
  EXPECT_TRUE(std::filesystem::exists(mp3_song));
  EXPECT_TRUE(queue->Cache().IsPinned(mp3_song));

  // Added again once its song is there, a source is that song at once.
  ASSERT_EQ(queue->Admit(flac_, staging_), Admission::kAdmitted);
  EXPECT_EQ(FieldText(staging_.FileName), FileNameOf(1));
  EXPECT_EQ(queue->Unfinished(), 0);
}

}  // namespace
}  // namespace tarvello
