#pragma once

// The cache of converted songs on the options dialog's conversion page: its folder, what
// it holds against its bound, and emptying it while the songs the list uses stay.

#include <functional>
#include <string>

#include "app/option_form_values.h"
#include "common/number_format.h"
#include "convert/convert_cache.h"

namespace tarvello {

class ConversionCachePage : public CachePageControl {
 public:
  // `release_unused` lets go of the songs no row uses any more, so that only the songs in
  // use stay pinned when the cache is emptied.
  ConversionCachePage(ConvertCache& cache, std::function<void()> release_unused,
                      NumberSymbols symbols);

  CachePageFigures Measure() override;
  std::string Empty() override;

 private:
  ConvertCache& cache_;
  std::function<void()> release_unused_;
  NumberSymbols symbols_;
};

// What emptying did: "キャッシュを空にしました.", or how many songs in use were kept.
std::string CacheEmptiedText(const CacheClearResult& result);

}  // namespace tarvello
