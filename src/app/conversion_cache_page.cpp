#include "app/conversion_cache_page.h"

namespace tarvello {

ConversionCachePage::ConversionCachePage(ConvertCache& cache, std::function<void()> release_unused,
                                         NumberSymbols symbols)
    : cache_(cache), release_unused_(std::move(release_unused)), symbols_(std::move(symbols)) {}

CachePageFigures ConversionCachePage::Measure() {
  return {cache_.Folder(), FormatFileSize(cache_.SizeBytes(), symbols_) + " / " +
                               FormatFileSize(cache_.MaxBytes(), symbols_)};
}

std::string ConversionCachePage::Empty() {
  if (release_unused_) release_unused_();
  return CacheEmptiedText(cache_.Clear());
}

std::string CacheEmptiedText(const CacheClearResult& result) {
  if (result.kept_in_use == 0) return "キャッシュを空にしました.";
  return "使用中の " + std::to_string(result.kept_in_use) + " 曲を残して空にしました.";
}

}  // namespace tarvello
