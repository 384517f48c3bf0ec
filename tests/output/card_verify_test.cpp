// Verify after writing: the run reads the card back and names exactly the files that the
// card does not hold as sent.

#include "output/card_verify.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fakes/fake_capacity_card.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_progress.h"
#include "output/management_files.h"
#include "output/output_messages.h"
#include "output/output_run.h"

namespace tarvello {
namespace {

using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::RecordingProgress;

// A run onto a card folder over a chosen file system.
struct VerifyBench {
  explicit VerifyBench(fakes::LockingFileSystem& files)
      : files_(files), rows_(NumberSymbols{",", "."}, MakeLocaleCollator()) {
    settings_.folder = card_.Path("D_SD");
    settings_.backup_base = program_.Path("Backup/20231114");
  }

  std::string AddSong(const std::string& name, const std::string& bytes) {
    const std::string path = sources_.Path(name);
    WriteFile(path, bytes);
    TTrackInfo track{};
    StoreText(track.Title, name);
    StoreText(track.FileName, path);
    const int index = table_.TrackCount();
    table_.StoreTrack(index, track);
    OutputTotals ignored;
    rows_.BuildRows(index, index, table_, ignored, 0);
    return path;
  }

  std::string CardSong(int number) const {
    char name[32];
    std::snprintf(name, sizeof name, "/SDS_%.4d.3G2", number);
    return settings_.folder + name;
  }

  OutputRunResult Output() {
    Platform platform{volumes_, files_, environment_};
    return RunOutput(settings_, rows_, table_, platform, temp_names_, progress_);
  }

  TempDir card_, sources_, program_;
  fakes::FakeVolumes volumes_;
  fakes::FakeEnvironment environment_;
  fakes::LockingFileSystem& files_;
  TrackTable table_;
  TrackList rows_;
  TempNameCounter temp_names_;
  RecordingProgress progress_;
  OutputRunSettings settings_;
};

std::string RandomBytes(std::mt19937& random, size_t size) {
  std::uniform_int_distribution<int> byte(1, 255);  // never zero: a lost byte always shows
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(byte(random));
  return bytes;
}

// Songs of random sizes onto cards of random real sizes: exactly the files that reach past
// the real size are named, in the order written, and the completion message gives way to
// the mismatch box.
TEST(CardVerifyTest, AFakeCapacityCardIsCaughtAtExactlyTheFilesPastItsRealSize) {
  std::mt19937 random(20231114);
  for (int round = 0; round < 25; ++round) {
    const int song_count = std::uniform_int_distribution<int>(1, 12)(random);
    std::vector<size_t> sizes;
    int64_t total = static_cast<int64_t>(kManagementFileBytes);
    for (int song = 0; song < song_count; ++song) {
      sizes.push_back(std::uniform_int_distribution<size_t>(0, 20000)(random));
      total += static_cast<int64_t>(sizes.back());
    }
    const int64_t real_size = std::uniform_int_distribution<int64_t>(0, total + 100)(random);
    fakes::FakeCapacityCard card(real_size);
    VerifyBench bench(card);
    for (int song = 0; song < song_count; ++song) {
      bench.AddSong("s" + std::to_string(song), RandomBytes(random, sizes[song]));
    }

    const OutputRunResult result = bench.Output();

    // The management file goes first, then the songs in list order.
    std::vector<std::string> expected;
    int64_t end = static_cast<int64_t>(kManagementFileBytes);
    if (end > real_size) expected.push_back(bench.settings_.folder + "/SD_F_000.MGR");
    for (int song = 0; song < song_count; ++song) {
      const int64_t start = end;
      end += static_cast<int64_t>(sizes[song]);
      if (end > real_size && end > start) expected.push_back(bench.CardSong(song));
    }
    SCOPED_TRACE("round " + std::to_string(round) + ", real size " + std::to_string(real_size));
    EXPECT_EQ(result.mismatched, expected);
    EXPECT_EQ(result.verified, expected.empty());
    EXPECT_EQ(result.written, song_count);
    ASSERT_EQ(bench.progress_.messages.size(), 1u);
    if (expected.empty()) {
      EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
      EXPECT_EQ(bench.progress_.messages[0], CompletionText(song_count));
    } else {
      EXPECT_EQ(result.end, OutputRunEnd::kFailed);
      EXPECT_THAT(bench.progress_.messages[0], HasSubstr("書き込んだ内容を保持していません"));
    }
  }
}

// One byte changed on the card after the write, before the flush: that song alone is
// named, by its listed path; the backup of the earlier folder stays.
TEST(CardVerifyTest, AByteFlippedOnTheCardIsCaughtAndTheBackupStays) {
  fakes::LockingFileSystem files;
  VerifyBench bench(files);
  WriteFile(bench.settings_.folder + "/OLD.3G2", "earlier song");
  bench.AddSong("a.m4a", "first song");
  const std::string second = bench.AddSong("b.m4a", "second song");
  bench.AddSong("c.m4a", "third song");
  files.before = [&](fakes::FileOp op, int) {
    if (op != fakes::FileOp::kSync) return;
    std::string bytes = ReadFile(bench.CardSong(1));
    bytes[3] ^= 0x01;
    WriteFile(bench.CardSong(1), bytes);
  };

  const OutputRunResult result = bench.Output();

  EXPECT_EQ(result.end, OutputRunEnd::kFailed);
  EXPECT_FALSE(result.verified);
  EXPECT_THAT(result.mismatched, ElementsAre(bench.CardSong(1)));
  ASSERT_EQ(bench.progress_.messages.size(), 1u);
  const std::string& box = bench.progress_.messages[0];
  EXPECT_THAT(box, HasSubstr(second));
  EXPECT_THAT(box, HasSubstr("容量が小さい"));
  EXPECT_THAT(box, HasSubstr(result.backup_folder));
  EXPECT_EQ(ReadFile(result.backup_folder + "/OLD.3G2"), "earlier song");
  EXPECT_EQ(bench.progress_.beeps, 0);
  // Every file was read back once, with the counter running to the total.
  EXPECT_EQ(files.hash_calls, 4);
  EXPECT_TRUE(bench.progress_.ShowedLabel("照合中... 4 / 4"));
  EXPECT_EQ(bench.progress_.position, bench.progress_.maximum);
}

TEST(CardVerifyTest, AnUnreadableCardFileCountsAsAMismatch) {
  fakes::LockingFileSystem files;
  VerifyBench bench(files);
  bench.AddSong("a.m4a", "first song");
  files.unreadable.insert(bench.CardSong(0));

  const OutputRunResult result = bench.Output();

  EXPECT_THAT(result.mismatched, ElementsAre(bench.CardSong(0)));
  EXPECT_EQ(result.end, OutputRunEnd::kFailed);
}

TEST(CardVerifyTest, CancelDuringTheReadBackEndsQuietlyAndVerifyCanBeTurnedOff) {
  fakes::LockingFileSystem files;
  VerifyBench bench(files);
  for (int song = 0; song < 6; ++song) bench.AddSong("s" + std::to_string(song), "bytes");
  bench.progress_.press_cancel = [](const RecordingProgress& progress) {
    return progress.labels.back().rfind("照合中... ", 0) == 0;
  };

  const OutputRunResult cancelled = bench.Output();

  EXPECT_EQ(cancelled.end, OutputRunEnd::kCancelled);
  EXPECT_FALSE(cancelled.verified);
  EXPECT_THAT(bench.progress_.messages, IsEmpty());
  EXPECT_LT(files.hash_calls, 7);

  bench.progress_ = RecordingProgress();
  bench.settings_.verify = false;
  files.hash_calls = 0;
  const OutputRunResult unverified = bench.Output();
  EXPECT_EQ(unverified.end, OutputRunEnd::kCompleted);
  EXPECT_EQ(files.hash_calls, 0);
  EXPECT_FALSE(unverified.verified);
  EXPECT_THAT(bench.progress_.labels, Not(::testing::Contains(HasSubstr("照合中"))));
}

TEST(CardVerifyTest, TheMismatchBoxListsTenFilesAndCountsTheRest) {
  std::vector<WrittenFile> mismatched;
  for (int file = 0; file < 13; ++file) mismatched.push_back({"", "song" + std::to_string(file), std::nullopt});

  const std::string box = MismatchText(mismatched, "");

  EXPECT_THAT(box, HasSubstr("song9\r\n"));
  EXPECT_THAT(box, Not(HasSubstr("song10")));
  EXPECT_THAT(box, HasSubstr("ほか 3 件"));
  EXPECT_THAT(box, Not(HasSubstr("バックアップ")));
}

}  // namespace
}  // namespace tarvello
