#include "convert/convert_pool.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <tuple>
#include <unordered_map>

namespace tarvello {
namespace {

constexpr size_t kUnranked = std::numeric_limits<size_t>::max();

ConvertResult CancelledResult() {
  ConvertResult result;
  result.action = ConvertAction::kCancelled;
  result.reason = "cancelled";
  return result;
}

ConvertResult FailedResult(std::string reason) {
  ConvertResult result;
  result.action = ConvertAction::kFailed;
  result.reason = std::move(reason);
  return result;
}

HelperOptions Completed(HelperOptions helper) {
  if (helper.program.empty()) helper.program = FindHelperProgram();
  return helper;
}

}  // namespace

ConvertPool::ConvertPool(FileSystem& files, ConvertCache& cache, ConvertSettings settings,
                         ConvertListener& listener, int threads, HelperOptions helper)
    : files_(files),
      cache_(cache),
      listener_(listener),
      helper_places_(helper.program.empty() ? HelperProgramPlaces()
                                            : std::vector<std::string>{helper.program}),
      helper_(Completed(std::move(helper))),
      max_workers_(threads > 0
                       ? threads
                       : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))),
      settings_(settings),
      probe_helper_(helper_.program, cache.Folder(), helper_.stall_limit) {}

ConvertPool::~ConvertPool() {
  CancelAll();
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void ConvertPool::Add(ConvertJobId id, const std::string& source) {
  {
    const std::lock_guard lock(mutex_);
    waiting_.push_back(Job{id, source, false, kUnranked, next_sequence_++});
    ++unfinished_;
    StartWorkerIfNeeded();
  }
  work_ready_.notify_one();
}

void ConvertPool::StartWorkerIfNeeded() {
  const int busy = static_cast<int>(workers_.size()) - idle_workers_;
  const int wanted = std::min(max_workers_, busy + static_cast<int>(waiting_.size()));
  if (static_cast<int>(workers_.size()) < wanted) workers_.emplace_back([this] { Work(); });
}

SourceProbe ConvertPool::Probe(const std::string& source, const std::atomic<bool>& stop) {
  const std::lock_guard lock(probe_mutex_);
  last_probe_ = std::chrono::steady_clock::now();
  return ProbeSource(files_, probe_helper_, source, stop);
}

std::vector<std::string> ConvertPool::MissingHelperPlaces() const {
  if (files_.FileExists(helper_.program)) return {};
  return helper_places_;
}

void ConvertPool::StopIdleProbeHelper() {
  const std::unique_lock lock(probe_mutex_, std::try_to_lock);
  if (lock && std::chrono::steady_clock::now() - last_probe_ >= helper_.idle_limit) {
    probe_helper_.Stop();
  }
}

void ConvertPool::SetOrder(const std::vector<ConvertJobId>& list_order,
                           const std::unordered_set<ConvertJobId>& marked) {
  std::unordered_map<ConvertJobId, size_t> ranks;
  ranks.reserve(list_order.size());
  for (size_t i = 0; i < list_order.size(); ++i) ranks.emplace(list_order[i], i);
  const std::lock_guard lock(mutex_);
  for (Job& job : waiting_) {
    const auto rank = ranks.find(job.id);
    job.rank = rank == ranks.end() ? kUnranked : rank->second;
    job.marked = marked.contains(job.id);
  }
}

void ConvertPool::SetSettings(const ConvertSettings& settings) {
  const std::lock_guard lock(mutex_);
  settings_ = settings;
}

void ConvertPool::Cancel(ConvertJobId id) {
  std::vector<ConvertJobId> dropped;
  {
    const std::lock_guard lock(mutex_);
    for (const Running& running : running_) {
      if (running.id == id) running.cancel->store(true);
    }
    const auto kept = std::remove_if(waiting_.begin(), waiting_.end(), [&](const Job& job) {
      if (job.id != id) return false;
      dropped.push_back(job.id);
      return true;
    });
    waiting_.erase(kept, waiting_.end());
  }
  ReportCancelled(dropped);
}

void ConvertPool::CancelAll() {
  std::vector<ConvertJobId> dropped;
  {
    const std::lock_guard lock(mutex_);
    for (const Running& running : running_) running.cancel->store(true);
    for (const Job& job : waiting_) dropped.push_back(job.id);
    waiting_.clear();
  }
  ReportCancelled(dropped);
}

void ConvertPool::ReportCancelled(const std::vector<ConvertJobId>& ids) {
  for (const ConvertJobId id : ids) Finish(id, CancelledResult());
}

int ConvertPool::Unfinished() const {
  const std::lock_guard lock(mutex_);
  return unfinished_;
}

void ConvertPool::WaitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return unfinished_ == 0; });
}

bool ConvertPool::TakeNext(Job& job, std::shared_ptr<std::atomic<bool>>& cancel,
                           ConvertSettings& settings, HelperWorker& helper) {
  std::unique_lock lock(mutex_);
  const auto ready = [this] { return stopping_ || !waiting_.empty(); };
  ++idle_workers_;
  if (!work_ready_.wait_for(lock, helper_.idle_limit, ready)) {
    // Idle for a while: the helpers end, the thread waits on without them.
    lock.unlock();
    helper.Stop();
    StopIdleProbeHelper();
    lock.lock();
    work_ready_.wait(lock, ready);
  }
  --idle_workers_;
  if (waiting_.empty()) return false;
  const auto first =
      std::min_element(waiting_.begin(), waiting_.end(), [](const Job& a, const Job& b) {
        return std::tuple(!a.marked, a.rank, a.sequence) <
               std::tuple(!b.marked, b.rank, b.sequence);
      });
  job = std::move(*first);
  waiting_.erase(first);
  cancel = std::make_shared<std::atomic<bool>>(false);
  running_.push_back(Running{job.id, cancel});
  settings = settings_;
  return true;
}

void ConvertPool::Finish(ConvertJobId id, const ConvertResult& result) {
  listener_.ConvertFinished(id, result);
  const std::lock_guard lock(mutex_);
  if (--unfinished_ == 0) idle_.notify_all();
}

ConvertResult ConvertPool::ConvertGuarded(HelperWorker& helper, const std::string& source,
                                          const ConvertSettings& settings,
                                          const std::atomic<bool>& cancel) {
  // An error that escapes a conversion costs its song, never the worker and the program;
  // the helper may be left mid-job, so the next song gets a new one.
  try {
    return ConvertSong(files_, cache_, helper, source, settings, cancel);
  } catch (const std::exception& error) {
    helper.Stop();
    return FailedResult(error.what());
  } catch (...) {
    helper.Stop();
    return FailedResult("unknown error");
  }
}

void ConvertPool::Work() {
  HelperWorker helper(helper_.program, cache_.Folder(), helper_.stall_limit);
  Job job;
  std::shared_ptr<std::atomic<bool>> cancel;
  ConvertSettings settings;
  while (TakeNext(job, cancel, settings, helper)) {
    listener_.ConvertStarted(job.id);
    const ConvertResult result = ConvertGuarded(helper, job.source, settings, *cancel);
    {
      const std::lock_guard lock(mutex_);
      std::erase_if(running_, [&](const Running& running) { return running.cancel == cancel; });
    }
    Finish(job.id, result);
  }
}

}  // namespace tarvello
