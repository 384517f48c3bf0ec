// The real helper program: a remux and an encode through the pool, a helper killed in the
// middle of a folder, and the sandbox that keeps it writing inside the cache.

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "convert/convert_in_order.h"
#include "convert/convert_pool.h"
#include "convert/made_sources.h"
#include "fakes/fake_platform.h"
#include "platform/landlock.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

HelperOptions RealHelper() {
  return {TARVELLO_CONVERT_PATH, 60s, 30s};
}

bool HasPart(const std::string& folder) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().find(".part-") != std::string::npos) return true;
  }
  return false;
}

// The processes this one started, from every thread's list of children.
std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::ifstream list(task.path() / "children");
    for (pid_t pid = 0; list >> pid;) children.push_back(pid);
  }
  return children;
}

class RealHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFfmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  }
  std::string Make(const std::string& name, const std::string& arguments) {
    const std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::RunFfmpeg(arguments + " " + testing::Quoted(path)));
    return path;
  }

  fakes::TempDir dir_;
  fakes::LockingFileSystem files_;
  ConvertCache cache_{dir_.Path("cache")};
};

// Kills the helper with SIGKILL once it has begun writing job `victim`'s song.
class KillingListener : public ConvertListener {
 public:
  KillingListener(ConvertJobId victim, std::string cache_folder)
      : victim_(victim), cache_folder_(std::move(cache_folder)) {}
  ~KillingListener() override {
    if (killer_.joinable()) killer_.join();
  }
  void ConvertStarted(ConvertJobId id) override {
    if (id != victim_) return;
    killer_ = std::thread([this] {
      while (!HasPart(cache_folder_)) std::this_thread::yield();
      for (const pid_t child : Children()) ::kill(child, SIGKILL);
    });
  }
  void ConvertFinished(ConvertJobId id, const ConvertResult& result) override {
    const std::lock_guard lock(mutex_);
    results_[id] = result;
    if (results_.size() == 3) done_.notify_all();
  }
  std::map<ConvertJobId, ConvertResult> WaitForAll() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return results_.size() == 3; });
    return results_;
  }

 private:
  ConvertJobId victim_;
  std::string cache_folder_;
  std::thread killer_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::map<ConvertJobId, ConvertResult> results_;
};

TEST_F(RealHelperTest, AKilledHelperCostsOneSongOfTheFolder) {
  const std::vector<std::string> songs = {
      Make("a.aac", testing::Tone(1) + " -ac 2 -c:a aac -f adts"),
      Make("b.wav", testing::Tone(30) + " -ac 2"),
      Make("c.mp3", testing::Tone(1) + " -ac 2 -c:a libmp3lame")};
  KillingListener listener(1, cache_.Folder());
  std::map<ConvertJobId, ConvertResult> results;
  {
    ConvertPool pool(files_, cache_, ConvertSettings{}, listener, 1, RealHelper());
    for (size_t i = 0; i < songs.size(); ++i) pool.Add(i, songs[i]);
    results = listener.WaitForAll();
  }
  EXPECT_EQ(results[0].action, ConvertAction::kRemuxed) << results[0].reason;
  EXPECT_EQ(results[1].action, ConvertAction::kFailed);
  EXPECT_EQ(results[1].problem, ConvertProblem::kHelperCrashed);
  EXPECT_NE(results[1].reason.find("SIGKILL"), std::string::npos) << results[1].reason;
  EXPECT_EQ(results[2].action, ConvertAction::kEncoded) << results[2].reason;
  // The two songs made, and no part of the killed one.
  EXPECT_EQ(fakes::FileNamesIn(cache_.Folder()).size(), 2u);
}

TEST_F(RealHelperTest, TheHelperWritesNothingOutsideTheCache) {
  if (LandlockVersion() == 0) GTEST_SKIP() << "the kernel offers no Landlock";
  const std::string source = Make("a.wav", testing::Tone(1) + " -ac 2");
  const std::string outside = dir_.Path("outside.m4a");
  HelperWorker helper(TARVELLO_CONVERT_PATH, cache_.Folder(), 60s);
  const std::atomic<bool> never{false};
  HelperMessage request{"make", {}};
  request.Set("source", source).Set("target", outside).SetNumber("kbps", 128);
  const HelperReply reply = helper.Ask(request, "made", never);
  ASSERT_TRUE(reply.answered) << reply.failure.reason;
  EXPECT_FALSE(StatusFrom(reply.message).Done());
  EXPECT_FALSE(fs::exists(outside));
  // Inside the cache the same song is written.
  request.Set("target", cache_.TemporaryPath("inside"));
  EXPECT_TRUE(StatusFrom(helper.Ask(request, "made", never).message).Done());
  EXPECT_TRUE(fs::exists(request.Text("target")));
}

}  // namespace
}  // namespace tarvello
