#pragma once

// A pool that converts nothing: probes answer from a script (on the queue's prober thread,
// held back when the test says so), and each job runs when the test says so, in the order the pool
// would take it, with the result the script gives. A song made is a copy of a fixture M4A, written
// and kept in the cache as the real pool does it.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"

namespace tarvello::testing {

class ScriptedPool : public ConvertJobs {
 public:
  ScriptedPool(ConvertCache& cache, ConvertListener& listener)
      : cache_(cache), listener_(listener) {}

  // What a source's probe gives; by default an encodable 3-second stereo song titled
  // with the source's name.
  std::map<std::string, SourceProbe> probes;
  // Results other than a made song, by source.
  std::map<std::string, ConvertResult> outcomes;
  // Where the helper was looked for, as if it were missing; empty: it is there.
  std::vector<std::string> missing_helper_places;
  // The sources of the jobs run so far, in the order they ran.
  std::vector<std::string> ran;

  void Add(ConvertJobId id, const std::string& source) override {
    waiting_.push_back({id, source, false, kUnranked, sequence_++});
  }
  void SetOrder(const std::vector<ConvertJobId>& list_order,
                const std::unordered_set<ConvertJobId>& marked) override {
    for (Job& job : waiting_) {
      const auto at = std::find(list_order.begin(), list_order.end(), job.id);
      job.rank = at == list_order.end() ? kUnranked : static_cast<size_t>(at - list_order.begin());
      job.marked = marked.contains(job.id);
    }
  }
  void SetSettings(const ConvertSettings&) override {}
  std::vector<std::string> MissingHelperPlaces() const override { return missing_helper_places; }
  void Cancel(ConvertJobId id) override {
    Drop([id](const Job& job) { return job.id == id; });
  }
  void CancelAll() override {
    Drop([](const Job&) { return true; });
  }
  SourceProbe Probe(const std::string& source, const std::atomic<bool>& stop) override {
    {
      // A held probe answers once released, or nothing once stopped.
      std::unique_lock lock(hold_mutex_);
      while (probes_held_ && !stop) hold_changed_.wait_for(lock, std::chrono::milliseconds(10));
      if (stop) return {};
    }
    const auto scripted = probes.find(source);
    if (scripted != probes.end()) return scripted->second;
    SourceProbe probe;
    probe.kind = SourceKind::kEncode;
    probe.codec = "mp3";
    probe.seconds = 3;
    probe.channels = 2;
    probe.sample_rate = 44100;
    probe.tags.title = std::filesystem::path(source).filename().string();
    return probe;
  }

  // Held, probes wait (as for a file that keeps the helper busy) until released.
  void HoldProbes(bool held) {
    {
      const std::lock_guard lock(hold_mutex_);
      probes_held_ = held;
    }
    hold_changed_.notify_all();
  }

  // Runs the waiting jobs, first first, as one worker would.
  void RunAll() {
    while (!waiting_.empty()) {
      const auto first = std::min_element(waiting_.begin(), waiting_.end(), Earlier);
      const Job job = *first;
      waiting_.erase(first);
      ran.push_back(job.source);
      listener_.ConvertStarted(job.id);
      listener_.ConvertFinished(job.id, ResultOf(job.source));
    }
  }
  size_t Waiting() const { return waiting_.size(); }

 private:
  static constexpr size_t kUnranked = static_cast<size_t>(-1);
  struct Job {
    ConvertJobId id;
    std::string source;
    bool marked;
    size_t rank;
    uint64_t sequence;
  };
  static bool Earlier(const Job& a, const Job& b) {
    return std::tuple(!a.marked, a.rank, a.sequence) < std::tuple(!b.marked, b.rank, b.sequence);
  }

  void Drop(const std::function<bool(const Job&)>& which) {
    std::vector<Job> dropped;
    std::erase_if(waiting_, [&](const Job& job) {
      if (which(job)) dropped.push_back(job);
      return which(job);
    });
    ConvertResult cancelled;
    cancelled.action = ConvertAction::kCancelled;
    for (const Job& job : dropped) listener_.ConvertFinished(job.id, cancelled);
  }

  ConvertResult ResultOf(const std::string& source) {
    const auto scripted = outcomes.find(source);
    if (scripted != outcomes.end()) return scripted->second;
    const std::string key = "song-" + std::to_string(std::hash<std::string>()(source));
    if (const auto kept = cache_.Find(key)) return {ConvertAction::kEncoded, *kept, {}, {}, true};
    const std::string temporary = cache_.TemporaryPath(key);
    std::filesystem::copy_file(std::string(TARVELLO_TEST_DATA) + "/m4a/tagged.m4a", temporary);
    ConvertResult made;
    made.action = ConvertAction::kEncoded;
    made.song_path = cache_.Commit(temporary, key);
    return made;
  }

  ConvertCache& cache_;
  ConvertListener& listener_;
  std::mutex hold_mutex_;
  std::condition_variable hold_changed_;
  bool probes_held_ = false;
  std::vector<Job> waiting_;
  uint64_t sequence_ = 0;
};

}  // namespace tarvello::testing
