#pragma once

// Converts songs in helper processes (tarvello-convert), one per core at most. A worker
// and its helper start on the first job that finds no idle one; each helper handles many
// jobs, ends when idle for a while, and always when the pool goes. A helper that crashes,
// stalls or garbles its reply fails only its job; the next job starts a new one. The
// caller hands in jobs, says which go first, and hears of each job through a small
// listener, called on the worker threads.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "convert/convert_settings.h"
#include "convert/convert_song.h"
#include "convert/helper_options.h"
#include "platform/platform.h"

namespace tarvello {

class ConvertPool : public ConvertJobs {
 public:
  // `threads` 0 means one per core.
  ConvertPool(FileSystem& files, ConvertCache& cache, ConvertSettings settings,
              ConvertListener& listener, int threads = 0, HelperOptions helper = {});
  // Cancels everything, waits for the workers and ends the helpers.
  ~ConvertPool() override;
  ConvertPool(const ConvertPool&) = delete;
  ConvertPool& operator=(const ConvertPool&) = delete;

  void Add(ConvertJobId id, const std::string& source) override;
  void SetOrder(const std::vector<ConvertJobId>& list_order,
                const std::unordered_set<ConvertJobId>& marked) override;
  void SetSettings(const ConvertSettings& settings) override;
  void Cancel(ConvertJobId id) override;
  void CancelAll() override;
  // Jobs added and not yet finished.
  int Unfinished() const;
  // Returns when every job added has finished.
  void WaitIdle();
  // The most workers that run at once.
  int ThreadCount() const { return max_workers_; }
  // Asked of a helper kept for probes, so that a probe never waits for a conversion.
  SourceProbe Probe(const std::string& source, const std::atomic<bool>& stop) override;
  std::vector<std::string> MissingHelperPlaces() const override;

 private:
  struct Job {
    ConvertJobId id = 0;
    std::string source;
    bool marked = false;
    size_t rank = 0;
    uint64_t sequence = 0;
  };
  struct Running {
    ConvertJobId id = 0;
    std::shared_ptr<std::atomic<bool>> cancel;
  };

  void StartWorkerIfNeeded();
  void Work();
  ConvertResult ConvertGuarded(HelperWorker& helper, const std::string& source,
                               const ConvertSettings& settings, const std::atomic<bool>& cancel);
  bool TakeNext(Job& job, std::shared_ptr<std::atomic<bool>>& cancel, ConvertSettings& settings,
                HelperWorker& helper);
  void StopIdleProbeHelper();
  void Finish(ConvertJobId id, const ConvertResult& result);
  void ReportCancelled(const std::vector<ConvertJobId>& ids);

  FileSystem& files_;
  ConvertCache& cache_;
  ConvertListener& listener_;
  std::vector<std::string> helper_places_;  // where the helper was looked for
  HelperOptions helper_;
  int max_workers_ = 1;
  mutable std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable idle_;
  ConvertSettings settings_;
  std::vector<Job> waiting_;
  std::vector<Running> running_;
  uint64_t next_sequence_ = 0;
  int unfinished_ = 0;
  bool stopping_ = false;
  int idle_workers_ = 0;
  std::vector<std::thread> workers_;
  // The probes' own helper, so that a probe never waits for a conversion.
  std::mutex probe_mutex_;
  HelperWorker probe_helper_;
  std::chrono::steady_clock::time_point last_probe_;
};

}  // namespace tarvello
