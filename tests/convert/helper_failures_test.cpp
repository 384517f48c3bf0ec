// A helper that crashes, stalls or garbles its reply costs its own song and nothing else:
// the song fails with its reason, nothing half-made stays in the cache, and the next song
// gets a new helper. The scripted helper misbehaves on cue, by the song's name.

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>

#include "convert/convert_in_order.h"
#include "convert/convert_pool.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using namespace std::chrono_literals;

HelperOptions Scripted(std::chrono::milliseconds stall_limit = 300ms) {
  return {TARVELLO_SCRIPTED_HELPER_PATH, stall_limit, 30s};
}

class HelperFailuresTest : public ::testing::Test {
 protected:
  // A file the walk refuses, so that it goes to the helper.
  std::string Song(const std::string& name) {
    const std::string path = dir_.Path(name);
    fakes::WriteFile(path, "not an M4A: " + name);
    return path;
  }

  fakes::TempDir dir_;
  fakes::LockingFileSystem files_;
  ConvertCache cache_{dir_.Path("cache")};
};

TEST_F(HelperFailuresTest, AFailingHelperCostsItsOwnSongOnly) {
  struct Case {
    const char* cue;
    ConvertProblem problem;
    const char* reason;
  };
  const Case cases[] = {
      {"crash", ConvertProblem::kHelperCrashed, "signal 6 (SIGABRT)"},
      {"hang", ConvertProblem::kHelperStalled, "no progress for 300 ms"},
      {"garble", ConvertProblem::kHelperGarbled, "no message"},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.cue);
    const std::string round = std::to_string(&each - cases);
    const std::vector<std::string> songs = {Song("first" + round), Song(each.cue),
                                            Song("next" + round)};
    std::vector<ConvertResult> results;
    ConvertInOrder(
        files_, cache_, ConvertSettings{}, songs,
        [&](size_t, const ConvertResult& result) { results.push_back(result); }, 1, Scripted());
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].action, ConvertAction::kRemuxed);
    EXPECT_EQ(results[1].action, ConvertAction::kFailed);
    EXPECT_EQ(results[1].problem, each.problem);
    EXPECT_NE(results[1].reason.find(each.reason), std::string::npos) << results[1].reason;
    // The next song was made by a new helper.
    EXPECT_EQ(results[2].action, ConvertAction::kRemuxed) << results[2].reason;
    EXPECT_EQ(fakes::ReadFile(results[2].song_path), "made of " + songs[2]);
  }
  // Two songs of each round, and no part of the failed ones.
  EXPECT_EQ(fakes::FileNamesIn(cache_.Folder()).size(), 6u);
}

// Records how each job ended, and lets a test wait for a start or an end.
class Recorder : public ConvertListener {
 public:
  void ConvertStarted(ConvertJobId id) override {
    const std::lock_guard lock(mutex_);
    started_[id] = true;
    changed_.notify_all();
  }
  void ConvertFinished(ConvertJobId id, const ConvertResult& result) override {
    const std::lock_guard lock(mutex_);
    results_[id] = result;
    changed_.notify_all();
  }
  void WaitStarted(ConvertJobId id) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return started_.contains(id); });
  }
  ConvertResult WaitFinished(ConvertJobId id) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return results_.contains(id); });
    return results_[id];
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<ConvertJobId, bool> started_;
  std::map<ConvertJobId, ConvertResult> results_;
};

TEST_F(HelperFailuresTest, CancelEndsABusyHelperAndTheNextJobGetsANewOne) {
  Recorder recorder;
  // The busy helper reports progress, so only the cancel ends it.
  ConvertPool pool(files_, cache_, ConvertSettings{}, recorder, 1, Scripted(10s));
  pool.Add(1, Song("busy"));
  recorder.WaitStarted(1);
  pool.Cancel(1);
  EXPECT_EQ(recorder.WaitFinished(1).action, ConvertAction::kCancelled);
  EXPECT_TRUE(fakes::FileNamesIn(cache_.Folder()).empty());
  pool.Add(2, Song("later"));
  EXPECT_EQ(recorder.WaitFinished(2).action, ConvertAction::kRemuxed);
  // A probe has a helper of its own.
  EXPECT_EQ(pool.Probe(Song("probed"), std::atomic<bool>{false}).tags.title, dir_.Path("probed"));
}

TEST_F(HelperFailuresTest, AMissingHelperFailsTheSongWithTheSystemsReason) {
  std::vector<ConvertResult> results;
  ConvertInOrder(files_, cache_, ConvertSettings{}, {Song("one")},
                 [&](size_t, const ConvertResult& result) { results.push_back(result); }, 1,
                 {dir_.Path("no-such-helper"), 1s, 1s});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].problem, ConvertProblem::kHelperMissing);
  EXPECT_TRUE(fakes::FileNamesIn(cache_.Folder()).empty());
}

// A helper whose greeting names a version that fits no number type is of another
// version, and the song fails with that reason.
TEST_F(HelperFailuresTest, AGreetingWithAnOversizedVersionIsAnotherVersion) {
  const std::string helper = dir_.Path("boastful-helper");
  // "hello" with the version 1e12, framed: 19 bytes of type and fields.
  fakes::WriteFile(helper,
                   "#!/bin/sh\nprintf '\\000\\000\\000\\023hello\\000version\\0001e12\\000'\n"
                   "exec cat >/dev/null\n");
  std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
  std::vector<ConvertResult> results;
  ConvertInOrder(files_, cache_, ConvertSettings{}, {Song("one")},
                 [&](size_t, const ConvertResult& result) { results.push_back(result); }, 1,
                 {helper, 5s, 5s});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].problem, ConvertProblem::kHelperMissing);
  EXPECT_NE(results[0].reason.find("speaks version 0 of the protocol"), std::string::npos)
      << results[0].reason;
}

}  // namespace
}  // namespace tarvello
