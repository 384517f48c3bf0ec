#pragma once

// A batch of sources converted on the worker pool, with the results handed back on the
// calling thread in the order the sources were given.

#include <functional>
#include <string>
#include <vector>

#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "convert/convert_settings.h"
#include "convert/convert_song.h"
#include "convert/helper_options.h"
#include "platform/platform.h"

namespace tarvello {

// Calls `on_result` for each source in order, as soon as it and every source before it
// are done. `threads` 0 means one per core.
void ConvertInOrder(FileSystem& files, ConvertCache& cache, const ConvertSettings& settings,
                    const std::vector<std::string>& sources,
                    const std::function<void(size_t index, const ConvertResult& result)>& on_result,
                    int threads = 0, const HelperOptions& helper = {});

// The same over the jobs that `make_jobs` makes (empty: the helper pool). While a result is
// awaited, `keep_going` is asked about ten times a second; once it says no, the jobs not
// done are cancelled and end as cancelled.
void ConvertInOrder(FileSystem& files, ConvertCache& cache, const ConvertSettings& settings,
                    const std::vector<std::string>& sources,
                    const std::function<void(size_t index, const ConvertResult& result)>& on_result,
                    const ConvertJobsMaker& make_jobs, const std::function<bool()>& keep_going);

}  // namespace tarvello
