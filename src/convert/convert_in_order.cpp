#include "convert/convert_in_order.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "convert/convert_pool.h"

namespace tarvello {
namespace {

class OrderedResults : public ConvertListener {
 public:
  explicit OrderedResults(size_t count) : results_(count) {}

  void ConvertStarted(ConvertJobId) override {}
  void ConvertFinished(ConvertJobId id, const ConvertResult& result) override {
    const std::lock_guard lock(mutex_);
    results_[id] = result;
    arrived_.notify_all();
  }
  // Waits for the result of `index` and takes it; `waiting` is called each time the
  // wait runs out without it.
  ConvertResult Take(size_t index, const std::function<void()>& waiting = {}) {
    std::unique_lock lock(mutex_);
    while (!arrived_.wait_for(lock, std::chrono::milliseconds(100),
                              [&] { return results_[index].has_value(); })) {
      if (!waiting) continue;
      lock.unlock();
      waiting();
      lock.lock();
    }
    ConvertResult result = std::move(*results_[index]);
    results_[index].reset();
    return result;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::optional<ConvertResult>> results_;
};

}  // namespace

void ConvertInOrder(FileSystem& files, ConvertCache& cache, const ConvertSettings& settings,
                    const std::vector<std::string>& sources,
                    const std::function<void(size_t index, const ConvertResult& result)>& on_result,
                    int threads, const HelperOptions& helper) {
  OrderedResults results(sources.size());
  ConvertPool pool(files, cache, settings, results, threads, helper);
  for (size_t i = 0; i < sources.size(); ++i) pool.Add(i, sources[i]);
  for (size_t i = 0; i < sources.size(); ++i) on_result(i, results.Take(i));
}

void ConvertInOrder(FileSystem& files, ConvertCache& cache, const ConvertSettings& settings,
                    const std::vector<std::string>& sources,
                    const std::function<void(size_t index, const ConvertResult& result)>& on_result,
                    const ConvertJobsMaker& make_jobs, const std::function<bool()>& keep_going) {
  OrderedResults results(sources.size());
  std::unique_ptr<ConvertJobs> jobs =
      make_jobs ? make_jobs(cache, results)
                : std::make_unique<ConvertPool>(files, cache, settings, results);
  jobs->SetSettings(settings);
  for (size_t i = 0; i < sources.size(); ++i) jobs->Add(i, sources[i]);
  bool cancelled = false;
  const auto waiting = [&] {
    if (!cancelled && !keep_going()) {
      cancelled = true;
      jobs->CancelAll();
    }
  };
  for (size_t i = 0; i < sources.size(); ++i) {
    waiting();
    on_result(i, results.Take(i, waiting));
  }
}

}  // namespace tarvello
