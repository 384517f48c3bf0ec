#pragma once

// The converted songs kept between runs: one file per source content and recipe, written
// under a temporary name and renamed when complete, bounded in size with the least
// recently used removed first. Safe to share between threads and between processes.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "convert/convert_settings.h"
#include "platform/platform.h"

namespace tarvello {

// $XDG_CACHE_HOME/tarvello/converted, else ~/.cache/tarvello/converted.
std::string DefaultCacheFolder(Environment& environment);

class ConvertCache {
 public:
  explicit ConvertCache(std::string folder, int64_t max_bytes = kDefaultCacheBytes);

  const std::string& Folder() const { return folder_; }
  int64_t MaxBytes() const { return max_bytes_; }

  // The key of a song made from content `hash`: remuxes do not depend on the settings.
  static std::string RemuxKey(const std::string& hash);
  static std::string EncodeKey(const std::string& hash, const ConvertSettings& settings);

  // The song kept under `key`, marked as just used; nullopt when there is none.
  std::optional<std::string> Find(const std::string& key);
  // A fresh name to write the song of `key` to; creates the folder. Empty when the
  // folder cannot be made.
  std::string TemporaryPath(const std::string& key);
  // Gives the written temporary file its key's name, then trims the cache to its bound,
  // keeping the new song. Returns the song's path; empty when the rename failed (the
  // temporary file is removed).
  std::string Commit(const std::string& temporary, const std::string& key);
  // Removes songs, least recently used first, until the cache fits its bound; never
  // removes `keep`.
  void Trim(const std::string& keep = {});
  // Bytes held by complete songs.
  int64_t SizeBytes() const;
  // Removes every complete song (songs being written are left to their writers).
  void Clear();

 private:
  std::string PathFor(const std::string& key) const;

  std::string folder_;
  int64_t max_bytes_;
  std::mutex trim_mutex_;
};

}  // namespace tarvello
