#pragma once

// The converted songs kept between runs: one file per source content and recipe, written
// under a temporary name and renamed when complete, bounded in size with the least
// recently used removed first. Safe to share between threads and between processes.
// Songs that this process still uses are pinned: the trimming and emptying here pass them
// over (another process's trimming cannot see the pins; users of a song check that it
// is still there before they rely on it). Temporary files that a conversion which died
// left behind go when the cache is opened or trimmed, once they are an hour old.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "convert/convert_settings.h"
#include "platform/platform.h"

namespace tarvello {

// What emptying the cache did.
struct CacheClearResult {
  int removed = 0;
  int kept_in_use = 0;  // pinned songs left in place
};

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

  // The song kept under `key`, marked as just used and pinned for the caller; nullopt
  // when there is none.
  std::optional<std::string> Find(const std::string& key);
  // A fresh name to write the song of `key` to; creates the folder. Empty when the
  // folder cannot be made.
  std::string TemporaryPath(const std::string& key);
  // Gives the written temporary file its key's name, pins it for the caller, then trims
  // the cache to its bound. Returns the song's path; empty when the rename failed (the
  // temporary file is removed).
  std::string Commit(const std::string& temporary, const std::string& key);
  // Removes songs, least recently used first, until the cache fits its bound; never
  // removes `keep` nor a pinned song, so the cache may stay above its bound.
  void Trim(const std::string& keep = {});
  // Bytes held by complete songs.
  int64_t SizeBytes() const;
  // Removes every complete song that is not pinned (songs being written are left to
  // their writers).
  CacheClearResult Clear();

  // A pinned song is kept until each Pin has had its Unpin.
  void Pin(const std::string& path);
  void Unpin(const std::string& path);
  bool IsPinned(const std::string& path) const;
  // Marks a kept song as just used, so that other processes trim it last; false when it
  // is gone. A file outside the cache is only looked for, never touched.
  bool Refresh(const std::string& path);

 private:
  std::string PathFor(const std::string& key) const;
  bool IsPinnedLocked(const std::string& path) const;

  std::string folder_;
  int64_t max_bytes_;
  // Guards the pins, and is held through a trim so that a song is never found or made
  // and pinned between the trim's listing and its removals.
  mutable std::mutex mutex_;
  std::unordered_map<std::string, int> pins_;
};

}  // namespace tarvello
