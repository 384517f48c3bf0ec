// The worker pool's order and cancelling, and the ways a single conversion can break off
// without leaving a half-made song behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <unordered_set>

#include "convert/convert_pool.h"
#include "convert/made_sources.h"
#include "fakes/tmpfs_card.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

// Holds the first job's worker until released, and records the order jobs start in.
class GatedListener : public ConvertListener {
 public:
  void ConvertStarted(ConvertJobId id) override {
    std::unique_lock lock(mutex_);
    started_.push_back(id);
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void ConvertFinished(ConvertJobId id, const ConvertResult& result) override {
    const std::lock_guard lock(mutex_);
    ++finished_[id];
    actions_[id] = result.action;
  }
  void WaitForStarts(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return started_.size() >= count; });
  }
  void Open() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  std::vector<ConvertJobId> started() {
    const std::lock_guard lock(mutex_);
    return started_;
  }
  std::map<ConvertJobId, int> finished() {
    const std::lock_guard lock(mutex_);
    return finished_;
  }
  std::map<ConvertJobId, ConvertAction> actions() {
    const std::lock_guard lock(mutex_);
    return actions_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  std::vector<ConvertJobId> started_;
  std::map<ConvertJobId, int> finished_;
  std::map<ConvertJobId, ConvertAction> actions_;
};

class ConvertPoolTest : public ::testing::Test {
 protected:
  fakes::TempDir dir_;
  PosixFileSystem files_;
  ConvertCache cache_{dir_.Path("cache")};
};

// Marked jobs first, then the rest, each in list order; jobs the order does not name
// last, in the order they came. Checked against that rule for random lists.
TEST_F(ConvertPoolTest, JobsStartMarkedFirstThenInListOrder) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    GatedListener listener;
    ConvertPool pool(files_, cache_, ConvertSettings{}, listener, 1);
    // Job 0 holds the only worker while the rest wait and are ordered.
    pool.Add(0, dir_.Path("missing-0.mp3"));
    listener.WaitForStarts(1);
    const int count = 2 + static_cast<int>(random() % 12);
    std::vector<ConvertJobId> added;
    for (int id = 1; id <= count; ++id) added.push_back(id);
    std::shuffle(added.begin(), added.end(), random);
    for (const ConvertJobId id : added) pool.Add(id, dir_.Path("missing.mp3"));
    std::vector<ConvertJobId> listed = added;
    std::shuffle(listed.begin(), listed.end(), random);
    const std::vector<ConvertJobId> unlisted(listed.end() - random() % 3, listed.end());
    listed.resize(listed.size() - unlisted.size());
    std::unordered_set<ConvertJobId> marked;
    for (const ConvertJobId id : added) {
      if (random() % 3 == 0) marked.insert(id);
    }
    pool.SetOrder(listed, marked);
    listener.Open();
    pool.WaitIdle();

    std::vector<ConvertJobId> expected = {0};
    for (const ConvertJobId id : listed) {
      if (marked.contains(id)) expected.push_back(id);
    }
    for (const ConvertJobId id : listed) {
      if (!marked.contains(id)) expected.push_back(id);
    }
    for (const ConvertJobId id : added) {
      if (std::find(unlisted.begin(), unlisted.end(), id) != unlisted.end()) {
        // Unlisted jobs keep their marks, so a marked one still goes before the listed rest.
        if (marked.contains(id)) {
          const auto last_marked =
              std::find_if(expected.begin() + 1, expected.end(),
                           [&](ConvertJobId job) { return !marked.contains(job); });
          expected.insert(last_marked, id);
        } else {
          expected.push_back(id);
        }
      }
    }
    EXPECT_EQ(listener.started(), expected) << "round " << round;
  }
}

TEST_F(ConvertPoolTest, EveryJobEndsOnceAndCancelledJobsSaySo) {
  GatedListener listener;
  ConvertPool pool(files_, cache_, ConvertSettings{}, listener, 1);
  for (ConvertJobId id = 0; id < 6; ++id) pool.Add(id, dir_.Path("missing.mp3"));
  listener.WaitForStarts(1);
  pool.Cancel(3);
  EXPECT_EQ(listener.actions().at(3), ConvertAction::kCancelled);
  pool.CancelAll();
  listener.Open();
  pool.WaitIdle();
  EXPECT_EQ(pool.Unfinished(), 0);
  const auto finished = listener.finished();
  ASSERT_EQ(finished.size(), 6u);
  for (const auto& [id, times] : finished) EXPECT_EQ(times, 1) << id;
  // The running job was asked to stop before it began its work.
  EXPECT_EQ(listener.actions().at(0), ConvertAction::kCancelled);
  EXPECT_EQ(listener.started().size(), 1u);
}

// A file system that fails in a way no conversion step expects, for one song's file.
class ExplodingFiles : public PosixFileSystem {
 public:
  std::unique_ptr<ByteFile> OpenRead(const std::string& path) override {
    if (path.find("explodes") != std::string::npos) throw std::logic_error("the reader broke");
    return PosixFileSystem::OpenRead(path);
  }
  std::unique_ptr<ByteFile> OpenReadOrThrow(const std::string& path) override {
    if (path.find("explodes") != std::string::npos) throw std::logic_error("the reader broke");
    return PosixFileSystem::OpenReadOrThrow(path);
  }
};

TEST_F(ConvertPoolTest, AnErrorInsideAConversionFailsThatSongAlone) {
  ExplodingFiles files;
  std::map<ConvertJobId, ConvertResult> results;
  std::mutex mutex;
  struct Recorder : ConvertListener {
    std::map<ConvertJobId, ConvertResult>& results;
    std::mutex& mutex;
    Recorder(std::map<ConvertJobId, ConvertResult>& r, std::mutex& m) : results(r), mutex(m) {}
    void ConvertStarted(ConvertJobId) override {}
    void ConvertFinished(ConvertJobId id, const ConvertResult& result) override {
      const std::lock_guard lock(mutex);
      results[id] = result;
    }
  } recorder(results, mutex);
  fakes::WriteFile(dir_.Path("explodes.mp3"), "not an M4A");
  ConvertPool pool(files, cache_, ConvertSettings{}, recorder, 1);
  pool.Add(1, dir_.Path("explodes.mp3"));
  pool.Add(2, dir_.Path("missing.mp3"));
  pool.WaitIdle();

  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results.at(1).action, ConvertAction::kFailed);
  EXPECT_EQ(results.at(1).reason, "the reader broke");
  // The worker lives on: the next song, a missing file, is refused as ever.
  EXPECT_EQ(results.at(2).action, ConvertAction::kRefused);
}

// Conversions that break off while the song is being written.
class ConvertBreakOffTest : public ConvertPoolTest {
 protected:
  void SetUp() override {
    if (!testing::HaveFfmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  }

  std::string MakeWav(double seconds) {
    const std::string path = dir_.Path("long.wav");
    EXPECT_TRUE(testing::RunFfmpeg(testing::Tone(seconds) + " -ac 2 " + path));
    return path;
  }

  // Starts converting `source` into `cache` and returns once the temporary song exists.
  std::future<ConvertResult> StartAndWaitForPart(ConvertCache& cache, const std::string& source) {
    auto result = std::async(std::launch::async, [&cache, source, this] {
      HelperWorker helper(TARVELLO_CONVERT_PATH, cache.Folder(), std::chrono::seconds(60));
      return ConvertSong(files_, cache, helper, source, ConvertSettings{}, cancel_);
    });
    while (!HasPart(cache.Folder())) {
      if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) break;
      std::this_thread::yield();
    }
    return result;
  }

  static bool HasPart(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (it->path().filename().string().find(".part-") != std::string::npos) return true;
    }
    return false;
  }

  static bool IsEmptyFolder(const std::string& folder) {
    std::error_code error;
    return fs::is_empty(folder, error) || error;
  }

  std::atomic<bool> cancel_{false};
};

TEST_F(ConvertBreakOffTest, CancelMidEncodeLeavesNothing) {
  const std::string source = MakeWav(20);
  auto running = StartAndWaitForPart(cache_, source);
  cancel_ = true;
  const ConvertResult result = running.get();
  EXPECT_EQ(result.action, ConvertAction::kCancelled);
  EXPECT_TRUE(result.song_path.empty());
  EXPECT_TRUE(IsEmptyFolder(cache_.Folder()));
}

TEST_F(ConvertBreakOffTest, ASourceChangedMidwayFailsCleanly) {
  const std::string source = MakeWav(20);
  auto running = StartAndWaitForPart(cache_, source);
  std::ofstream(source, std::ios::app | std::ios::binary) << "more";
  const ConvertResult result = running.get();
  EXPECT_EQ(result.action, ConvertAction::kFailed);
  EXPECT_NE(result.reason.find("changed"), std::string::npos) << result.reason;
  EXPECT_TRUE(IsEmptyFolder(cache_.Folder()));
}

TEST_F(ConvertBreakOffTest, AFullDiskSaysSoAndLeavesNothing) {
  fakes::TmpfsCard small_disk("128k");
  if (!small_disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  ConvertCache cache(small_disk.root() + "/converted");
  HelperWorker helper(TARVELLO_CONVERT_PATH, cache.Folder(), std::chrono::seconds(60));
  const ConvertResult result =
      ConvertSong(files_, cache, helper, MakeWav(30), ConvertSettings{}, cancel_);
  EXPECT_EQ(result.action, ConvertAction::kFailed);
  EXPECT_EQ(result.reason, "the cache disk is full");
  EXPECT_EQ(result.problem, ConvertProblem::kDiskFull);
  EXPECT_TRUE(IsEmptyFolder(cache.Folder()));
}

}  // namespace
}  // namespace tarvello
