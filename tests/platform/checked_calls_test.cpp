// The calls whose answers the file operations check, over file systems that answer as
// those seen in the field do: a last-write time must read back, a rename must move the
// file and leave no old name, a flush must succeed, and a sample reads no more of the
// card than itself.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_stored_sample.h"
#include "platform/write_time.h"

namespace tarvello {
namespace {

using fakes::CardCalls;
using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;

constexpr int64_t kSecond = kNanosecondsPerSecond;

TEST(WriteTimeKeptTest, ATimeRoundedToTheStepIsKeptAndOneAWholeStepAwayIsNot) {
  std::mt19937_64 random(20261208);
  constexpr int64_t kSteps[] = {1, 100, 10'000'000, kSecond, 2 * kSecond};
  for (int round = 0; round < 20000; ++round) {
    const int64_t step = kSteps[random() % std::size(kSteps)];
    // Whole seconds as the run gives them, and times with fractions, up to the year 2100.
    const int64_t fraction = random() % 2 == 0 ? 0 : static_cast<int64_t>(random() % kSecond);
    const int64_t wanted = static_cast<int64_t>(random() % 4'102'444'800) * kSecond + fraction;
    const int64_t down = wanted - wanted % step;
    const int64_t nearest = (wanted - down) * 2 >= step ? down + step : down;
    // The time of the call instead of the one given: at least a step later, or earlier
    // on a clock that was set back.
    const int64_t away = step + static_cast<int64_t>(random() % (3600 * kSecond));
    const std::string trace = std::to_string(wanted) + " in steps of " + std::to_string(step);

    EXPECT_TRUE(WriteTimeKept(wanted, down, step)) << trace;
    EXPECT_TRUE(WriteTimeKept(wanted, nearest, step)) << trace;
    EXPECT_FALSE(WriteTimeKept(wanted, wanted + away, step)) << trace;
    EXPECT_FALSE(WriteTimeKept(wanted, wanted - away, step)) << trace;
  }
  EXPECT_FALSE(WriteTimeKept(INT64_MIN, INT64_MAX, 2 * kSecond));  // no overflow
  EXPECT_TRUE(WriteTimeKept(INT64_MAX, INT64_MAX, 1));
  EXPECT_FALSE(WriteTimeKept(5, 6, 0));  // no step: the very time
}

class CheckedCallsTest : public ::testing::Test {
 protected:
  std::shared_ptr<CardCalls> card_ = std::make_shared<CardCalls>();
  PosixFileSystem files_{card_};
  TempDir dir_;
};

TEST_F(CheckedCallsTest, ALastWriteTimeIsSetOnlyWhenItReadsBack) {
  const std::string song = dir_.Path("SDS_0000.3G2");
  WriteFile(song, "song");
  const struct timespec accessed[2] = {{1600000000, 0}, {0, UTIME_OMIT}};
  ASSERT_EQ(::utimensat(AT_FDCWD, song.c_str(), accessed, 0), 0);
  using Times = CardCalls::Times;
  std::time_t wanted = 1700000001;
  // A file system that sets the time of the call for a time given by name keeps it when
  // it is given through the open file; one that keeps no time given is caught.
  for (const auto& [times, kept] : {std::pair{Times::kKept, true},
                                    {Times::kKeptThroughDescriptor, true},
                                    {Times::kNeverKept, false}}) {
    SCOPED_TRACE(static_cast<int>(times));
    card_->times = times;
    wanted -= 2;
    EXPECT_EQ(files_.SetLastWriteTime(song, wanted),
              kept ? FileChange::Done() : FileChange::Unkept(ChangeFault::kTimeNotKept));
    struct stat info {};
    ASSERT_EQ(::stat(song.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec == wanted && info.st_mtim.tv_nsec == 0, kept);
    if (kept) {
      EXPECT_EQ(info.st_atim.tv_sec, 1600000000);  // given as it was
    }
  }
  EXPECT_EQ(files_.SetLastWriteTime(dir_.Path("missing"), wanted), FileChange::Refused(ENOENT));
}

TEST_F(CheckedCallsTest, ARenameIsDoneOnlyWhenTheNewNameIsTheFileAndTheOldNameIsGone) {
  for (const ChangeFault fault :
       {ChangeFault::kNone, ChangeFault::kSourceLeft, ChangeFault::kTargetNotMoved}) {
    for (const bool replace : {false, true}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(fault)) + (replace ? " replace" : " move"));
      TempDir dir;
      const std::string from = dir.Path("from"), to = dir.Path("to");
      WriteFile(from, "new");
      if (replace) WriteFile(to, "old");
      card_->rename_leaves_source = fault == ChangeFault::kSourceLeft;
      card_->rename_does_nothing = fault == ChangeFault::kTargetNotMoved;

      EXPECT_EQ(replace ? files_.ReplaceFile(from, to) : files_.MoveFile(from, to),
                fault == ChangeFault::kNone ? FileChange::Done() : FileChange::Unkept(fault));
      // Whatever the answer, nothing is lost.
      EXPECT_EQ(ReadFile(from), fault == ChangeFault::kNone ? "" : "new");
      EXPECT_EQ(ReadFile(to), !card_->rename_does_nothing ? "new" : replace ? "old" : "");
    }
  }
  card_->rename_does_nothing = false;
  for (const char* name : {"a", "b"}) WriteFile(dir_.Path(name), name);
  EXPECT_EQ(files_.MoveFile(dir_.Path("a"), dir_.Path("b")), FileChange::Refused(EEXIST));
}

TEST_F(CheckedCallsTest, AFlushSucceedsOnlyWhenTheVolumeAndTheFolderWereWrittenOut) {
  // A folder that cannot be synced (EINVAL) leaves the work to syncfs.
  for (const auto& [syncfs_error, fsync_error, change] :
       {std::tuple{0, EINVAL, FileChange::Done()},
        {0, EIO, FileChange::Refused(EIO)},
        {ENOSPC, 0, FileChange::Refused(ENOSPC)}}) {
    SCOPED_TRACE(std::to_string(syncfs_error) + "/" + std::to_string(fsync_error));
    card_->syncfs_error = syncfs_error;
    card_->fsync_error = fsync_error;
    EXPECT_EQ(files_.SyncVolume(dir_.path()), change);
  }
}

// A file system as the sample reader meets it: one that refuses O_DIRECT when the file is
// opened (tmpfs, FUSE), one that refuses it at the first read, and one that takes it for
// reads aligned to its block. The bytes asked for are counted.
class DirectCalls : public FileCalls {
 public:
  enum class Direct { kRefusedAtOpen, kRefusedAtRead, kAligned };
  Direct direct = Direct::kAligned;
  int64_t block = 512;
  int64_t asked[2] = {0, 0};  // by plain and by direct reads that brought bytes
  bool advised = false;       // read-ahead is off for the plain file open
  bool read_ahead = false;    // a plain read came while read-ahead was on

  int Open(const char* path, int flags) override {
    const bool wants_direct = (flags & O_DIRECT) != 0;
    if (wants_direct && direct == Direct::kRefusedAtOpen) return errno = EINVAL, -1;
    const int fd = FileCalls::Open(path, flags & ~O_DIRECT);
    if (wants_direct) {
      direct_fds_.insert(fd);
    } else {
      direct_fds_.erase(fd);
      advised = false;
    }
    return fd;
  }
  ssize_t ReadAt(int fd, void* buffer, size_t count, off_t offset) override {
    const bool is_direct = direct_fds_.contains(fd);
    const auto misaligned = [&](auto value) { return static_cast<int64_t>(value) % block != 0; };
    if (is_direct && (direct == Direct::kRefusedAtRead || misaligned(offset) || misaligned(count) ||
                      misaligned(reinterpret_cast<uintptr_t>(buffer)))) {
      return errno = EINVAL, -1;
    }
    read_ahead |= !is_direct && !advised;
    const ssize_t got = FileCalls::ReadAt(fd, buffer, count, offset);
    if (got > 0) asked[is_direct] += static_cast<int64_t>(count);
    return got;
  }
  int Advise(int fd, int advice) override {
    advised |= advice == POSIX_FADV_RANDOM;
    return FileCalls::Advise(fd, advice);
  }

 private:
  std::set<int> direct_fds_;
};

TEST(SampleReadTest, EveryWayOfReadingGivesTheSampleAndAsksForLittleMore) {
  TempDir dir;
  std::mt19937 random(11);
  const std::string path = dir.Path("SDS_0000.3G2");
  using Direct = DirectCalls::Direct;
  for (const auto& [direct, block] : {std::pair{Direct::kRefusedAtOpen, 512},
                                      {Direct::kRefusedAtRead, 512},
                                      {Direct::kAligned, 512},
                                      {Direct::kAligned, 4096}}) {
    for (int round = 0; round < 40; ++round) {
      const size_t size =
          round < 4 ? static_cast<size_t>(round) * 4096 : random() % (5 * kSampleBytes + 1000);
      std::string bytes(size, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      WriteFile(path, bytes);
      DirectCalls calls;
      calls.direct = direct;
      calls.block = block;
      SCOPED_TRACE("way " + std::to_string(static_cast<int>(direct)) + "/" + std::to_string(block) +
                   ", size " + std::to_string(size));

      EXPECT_EQ(SampleFileFromMedium(calls, path), SampleOfBytes(bytes));
      // The plain way asks for the sample's bytes alone, with read-ahead off; the direct
      // way for whole blocks around them.
      const SampleRanges ranges = SampleRangesOf(static_cast<int64_t>(size));
      const bool plain = direct != Direct::kAligned;
      EXPECT_FALSE(calls.read_ahead);
      EXPECT_EQ(calls.asked[plain], 0);
      const int64_t sample = ranges.head + ranges.tail;
      EXPECT_GE(calls.asked[!plain], sample);
      EXPECT_LE(calls.asked[!plain], sample + (plain ? 0 : 2 * block));
    }
  }
  DirectCalls calls;
  EXPECT_FALSE(SampleFileFromMedium(calls, dir.Path("missing")).has_value());
  EXPECT_FALSE(SampleFileFromMedium(calls, dir.path()).has_value());  // a folder
  ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(SampleFileFromMedium(calls, dir.Path("pipe")).has_value());  // no writer: no wait
}

}  // namespace
}  // namespace tarvello
