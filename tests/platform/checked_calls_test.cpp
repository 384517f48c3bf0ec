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
#include <vector>

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

struct timespec TimeOf(const std::string& path, bool access) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return access ? info.st_atim : info.st_mtim;
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
  constexpr std::time_t kWanted = 1700000001;

  EXPECT_EQ(files_.SetLastWriteTime(song, kWanted), FileChange::Done());
  EXPECT_EQ(TimeOf(song, false).tv_sec, kWanted);
  EXPECT_EQ(TimeOf(song, false).tv_nsec, 0);
  EXPECT_EQ(TimeOf(song, true).tv_sec, 1600000000);  // given as it was

  // A file system that sets the time of the call for a time given by name keeps it when
  // it is given through the open file.
  card_->times = CardCalls::Times::kKeptThroughDescriptor;
  EXPECT_EQ(files_.SetLastWriteTime(song, kWanted - 2), FileChange::Done());
  EXPECT_EQ(TimeOf(song, false).tv_sec, kWanted - 2);
  EXPECT_EQ(TimeOf(song, true).tv_sec, 1600000000);

  // One that keeps no time given is caught, however it answered.
  card_->times = CardCalls::Times::kNeverKept;
  EXPECT_EQ(files_.SetLastWriteTime(song, kWanted - 4),
            FileChange::Unkept(ChangeFault::kTimeNotKept));
  EXPECT_NE(TimeOf(song, false).tv_sec, kWanted - 4);

  EXPECT_EQ(files_.SetLastWriteTime(dir_.Path("missing"), kWanted), FileChange::Refused(ENOENT));
}

TEST_F(CheckedCallsTest, ARenameIsDoneOnlyWhenTheNewNameIsTheFileAndTheOldNameIsGone) {
  for (const char* name : {"a", "b", "c", "d"}) WriteFile(dir_.Path(name), name);

  EXPECT_EQ(files_.MoveFile(dir_.Path("a"), dir_.Path("b")), FileChange::Refused(EEXIST));
  EXPECT_EQ(ReadFile(dir_.Path("b")), "b");
  EXPECT_EQ(files_.MoveFile(dir_.Path("a"), dir_.Path("e")), FileChange::Done());
  EXPECT_EQ(files_.ReplaceFile(dir_.Path("e"), dir_.Path("b")), FileChange::Done());
  EXPECT_FALSE(files_.FileExists(dir_.Path("a")) || files_.FileExists(dir_.Path("e")));
  EXPECT_EQ(ReadFile(dir_.Path("b")), "a");
  EXPECT_EQ(files_.MoveFile(dir_.Path("gone"), dir_.Path("f")), FileChange::Refused(ENOENT));

  // The old name stays beside the new: nothing is lost, and the rename is no success.
  card_->rename_leaves_source = true;
  EXPECT_EQ(files_.MoveFile(dir_.Path("c"), dir_.Path("f")),
            FileChange::Unkept(ChangeFault::kSourceLeft));
  EXPECT_EQ(files_.ReplaceFile(dir_.Path("d"), dir_.Path("b")),
            FileChange::Unkept(ChangeFault::kSourceLeft));
  EXPECT_EQ(ReadFile(dir_.Path("c")), "c");
  EXPECT_EQ(ReadFile(dir_.Path("f")), "c");

  // A rename that answers yes and does nothing.
  card_->rename_leaves_source = false;
  card_->rename_does_nothing = true;
  EXPECT_EQ(files_.MoveFile(dir_.Path("c"), dir_.Path("g")),
            FileChange::Unkept(ChangeFault::kTargetNotMoved));
  EXPECT_EQ(files_.ReplaceFile(dir_.Path("c"), dir_.Path("b")),
            FileChange::Unkept(ChangeFault::kTargetNotMoved));
  EXPECT_EQ(ReadFile(dir_.Path("c")), "c");
  EXPECT_FALSE(files_.FileExists(dir_.Path("g")));
}

TEST_F(CheckedCallsTest, AFlushSucceedsOnlyWhenTheVolumeAndTheFolderWereWrittenOut) {
  EXPECT_EQ(files_.SyncVolume(dir_.path()), FileChange::Done());
  card_->fsync_error = EINVAL;  // a folder that cannot be synced: syncfs did the work
  EXPECT_EQ(files_.SyncVolume(dir_.path()), FileChange::Done());
  card_->fsync_error = EIO;
  EXPECT_EQ(files_.SyncVolume(dir_.path()), FileChange::Refused(EIO));
  card_->fsync_error = 0;
  card_->syncfs_error = ENOSPC;
  EXPECT_EQ(files_.SyncVolume(dir_.path()), FileChange::Refused(ENOSPC));
  EXPECT_EQ(files_.SyncVolume(dir_.Path("gone")), FileChange::Refused(ENOENT));
}

// A file system as the sample reader meets it: one that refuses O_DIRECT when the file is
// opened (tmpfs, FUSE), one that refuses it at the first read, and one that takes it for
// reads aligned to its block. What is read and advised is recorded.
class DirectCalls : public FileCalls {
 public:
  enum class Direct { kRefusedAtOpen, kRefusedAtRead, kAligned };
  struct Read {
    bool direct = false;
    int64_t count = 0;
  };

  Direct direct = Direct::kAligned;
  int64_t block = 512;
  std::vector<Read> reads;      // the reads that brought bytes
  bool random_advised = false;  // read-ahead was off before the first plain read
  bool plain_read_without_advice = false;

  int Open(const char* path, int flags) override {
    const bool wants_direct = (flags & O_DIRECT) != 0;
    if (wants_direct && direct == Direct::kRefusedAtOpen) {
      errno = EINVAL;
      return -1;
    }
    const int fd = FileCalls::Open(path, flags & ~O_DIRECT);
    if (wants_direct) {
      direct_fds_.insert(fd);
    } else {
      direct_fds_.erase(fd);
      random_advised = false;
    }
    return fd;
  }
  ssize_t ReadAt(int fd, void* buffer, size_t count, off_t offset) override {
    const bool is_direct = direct_fds_.contains(fd);
    const auto misaligned = [&](int64_t value) { return value % block != 0; };
    if (is_direct && (direct == Direct::kRefusedAtRead || misaligned(offset) ||
                      misaligned(static_cast<int64_t>(count)) ||
                      misaligned(static_cast<int64_t>(reinterpret_cast<uintptr_t>(buffer))))) {
      errno = EINVAL;
      return -1;
    }
    if (!is_direct && !random_advised) plain_read_without_advice = true;
    const ssize_t got = FileCalls::ReadAt(fd, buffer, count, offset);
    if (got > 0) reads.push_back({is_direct, static_cast<int64_t>(count)});
    return got;
  }
  int Advise(int fd, int advice) override {
    if (advice == POSIX_FADV_RANDOM) random_advised = true;
    return FileCalls::Advise(fd, advice);
  }

 private:
  std::set<int> direct_fds_;
};

TEST(SampleReadTest, EveryWayOfReadingGivesTheSampleAndAsksForLittleMore) {
  TempDir dir;
  std::mt19937 random(11);
  const std::string path = dir.Path("SDS_0000.3G2");
  struct Way {
    DirectCalls::Direct direct;
    int64_t block;
  };
  for (const Way way :
       {Way{DirectCalls::Direct::kRefusedAtOpen, 512},
        Way{DirectCalls::Direct::kRefusedAtRead, 512}, Way{DirectCalls::Direct::kAligned, 512},
        Way{DirectCalls::Direct::kAligned, 4096}}) {
    for (int round = 0; round < 40; ++round) {
      const size_t size = round < 4 ? size_t{0} + static_cast<size_t>(round) * 4096
                                    : random() % (5 * kSampleBytes + 1000);
      std::string bytes(size, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      WriteFile(path, bytes);
      DirectCalls calls;
      calls.direct = way.direct;
      calls.block = way.block;
      const std::string trace = "way " + std::to_string(static_cast<int>(way.direct)) + "/" +
                                std::to_string(way.block) + ", size " + std::to_string(size);

      EXPECT_EQ(SampleFileFromMedium(calls, path), SampleOfBytes(bytes)) << trace;

      const bool plain = way.direct != DirectCalls::Direct::kAligned;
      int64_t asked = 0;
      for (const DirectCalls::Read& read : calls.reads) {
        EXPECT_EQ(read.direct, !plain) << trace;
        asked += read.count;
      }
      const SampleRanges ranges = SampleRangesOf(static_cast<int64_t>(size));
      // The plain way asks for the sample's bytes alone, with read-ahead off; the direct
      // way for whole blocks around them.
      EXPECT_FALSE(calls.plain_read_without_advice) << trace;
      if (plain) {
        EXPECT_EQ(asked, ranges.head + ranges.tail) << trace;
      } else {
        EXPECT_LE(asked, ranges.head + ranges.tail + 2 * way.block) << trace;
      }
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
