#pragma once

// What the conversion queue asks of whatever converts: jobs in, their order, cancels and
// probes; and what it hears back. The helper pool is the real one; tests script their own.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "convert/convert_cache.h"
#include "convert/convert_settings.h"
#include "convert/convert_song.h"
#include "convert/source_probe.h"

namespace tarvello {

using ConvertJobId = uint64_t;

class ConvertListener {
 public:
  virtual ~ConvertListener() = default;
  // Both are called on a worker thread, never while the pool holds its lock.
  virtual void ConvertStarted(ConvertJobId id) = 0;
  // Every job added ends here exactly once, cancelled ones too.
  virtual void ConvertFinished(ConvertJobId id, const ConvertResult& result) = 0;
};

class ConvertJobs {
 public:
  virtual ~ConvertJobs() = default;
  virtual void Add(ConvertJobId id, const std::string& source) = 0;
  // Waiting jobs are taken marked first, then unmarked, each group in the order of
  // `list_order`; jobs it does not name come last, in the order they were added.
  virtual void SetOrder(const std::vector<ConvertJobId>& list_order,
                        const std::unordered_set<ConvertJobId>& marked) = 0;
  // Settings for the jobs started from now on.
  virtual void SetSettings(const ConvertSettings& settings) = 0;
  // A waiting job is dropped, a running one stopped; both end as cancelled.
  virtual void Cancel(ConvertJobId id) = 0;
  virtual void CancelAll() = 0;
  // What `source` is and would become, answered on the calling thread; `stop` ends the
  // wait early. May be called on another thread than the rest.
  virtual SourceProbe Probe(const std::string& source, const std::atomic<bool>& stop) = 0;
  // The places the helper program was looked for when it is not there; empty when it is.
  virtual std::vector<std::string> MissingHelperPlaces() const = 0;
};

// Makes the pool that jobs are handed to, over a cache: the helper pool, or a test's own.
using ConvertJobsMaker =
    std::function<std::unique_ptr<ConvertJobs>(ConvertCache& cache, ConvertListener& listener)>;

}  // namespace tarvello
