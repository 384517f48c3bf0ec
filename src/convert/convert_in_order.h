#pragma once

// A batch of sources converted on the worker pool, with the results handed back on the
// calling thread in the order the sources were given.

#include <functional>
#include <string>
#include <vector>

#include "convert/convert_cache.h"
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

}  // namespace tarvello
