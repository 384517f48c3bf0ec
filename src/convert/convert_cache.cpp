#include "convert/convert_cache.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <vector>

namespace tarvello {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSongExtension = ".m4a";
constexpr const char* kPartMarker = ".part-";
// Bumped when the way songs are made changes, so old songs are not reused.
constexpr const char* kRecipeVersion = "1";
// A song being written is written to all the time; a temporary file this old was left by
// a conversion that died.
constexpr std::chrono::hours kLeftoverAge{1};

struct CachedSong {
  fs::path path;
  int64_t bytes = 0;
  fs::file_time_type used;
};

bool IsCompleteSong(const fs::directory_entry& entry) {
  const std::string name = entry.path().filename().string();
  return entry.is_regular_file() && name.ends_with(kSongExtension) &&
         name.find(kPartMarker) == std::string::npos;
}

bool IsLeftover(const fs::directory_entry& entry, fs::file_time_type now) {
  std::error_code error;
  const std::string name = entry.path().filename().string();
  if (name.find(kPartMarker) == std::string::npos || !entry.is_regular_file(error)) return false;
  const fs::file_time_type written = entry.last_write_time(error);
  return !error && now - written > kLeftoverAge;
}

// Removes the temporary files that conversions which died left behind.
void RemoveLeftovers(const std::string& folder) {
  const fs::file_time_type now = fs::file_time_type::clock::now();
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (IsLeftover(*it, now)) fs::remove(it->path(), ignored);
  }
}

std::vector<CachedSong> ListSongs(const std::string& folder) {
  std::vector<CachedSong> songs;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code entry_error;
    if (!IsCompleteSong(*it)) continue;
    CachedSong song{it->path(), static_cast<int64_t>(it->file_size(entry_error)),
                    it->last_write_time(entry_error)};
    if (!entry_error) songs.push_back(std::move(song));
  }
  return songs;
}

// Pins go by the song's name: every song lies in the one folder, whichever way its path
// was spelled.
std::string PinName(const std::string& path) {
  return fs::path(path).filename().string();
}

}  // namespace

std::string DefaultCacheFolder(Environment& environment) {
  std::string base;
  if (const auto cache_home = environment.GetVariable("XDG_CACHE_HOME");
      cache_home && cache_home->starts_with('/')) {
    base = *cache_home;
  } else {
    base = environment.HomeDirectory() + "/.cache";
  }
  return base + "/tarvello/converted";
}

ConvertCache::ConvertCache(std::string folder, int64_t max_bytes)
    : folder_(std::move(folder)), max_bytes_(max_bytes) {
  RemoveLeftovers(folder_);
}

std::string ConvertCache::RemuxKey(const std::string& hash) {
  return hash + "-copy-v" + kRecipeVersion;
}

std::string ConvertCache::EncodeKey(const std::string& hash, const ConvertSettings& settings) {
  return hash + "-aac" + std::to_string(settings.bit_rate_kbps) + "-v" + kRecipeVersion;
}

std::string ConvertCache::PathFor(const std::string& key) const {
  return folder_ + "/" + key + kSongExtension;
}

std::optional<std::string> ConvertCache::Find(const std::string& key) {
  const std::string path = PathFor(key);
  const std::lock_guard lock(mutex_);
  if (!Refresh(path)) return std::nullopt;
  ++pins_[PinName(path)];
  return path;
}

bool ConvertCache::Refresh(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return false;
  const bool in_cache = fs::path(path).parent_path().lexically_normal() ==
                        fs::path(folder_ + "/").lexically_normal().parent_path();
  if (!in_cache) return true;
  // The modification time is the song's last use, for the trimming.
  fs::last_write_time(path, fs::file_time_type::clock::now(), error);
  return !error;
}

void ConvertCache::Pin(const std::string& path) {
  const std::lock_guard lock(mutex_);
  ++pins_[PinName(path)];
}

void ConvertCache::Unpin(const std::string& path) {
  const std::lock_guard lock(mutex_);
  const auto pin = pins_.find(PinName(path));
  if (pin != pins_.end() && --pin->second <= 0) pins_.erase(pin);
}

bool ConvertCache::IsPinned(const std::string& path) const {
  const std::lock_guard lock(mutex_);
  return IsPinnedLocked(path);
}

bool ConvertCache::IsPinnedLocked(const std::string& path) const {
  return pins_.contains(PinName(path));
}

std::string ConvertCache::TemporaryPath(const std::string& key) {
  static std::atomic<uint64_t> counter{0};
  std::error_code error;
  fs::create_directories(folder_, error);
  if (!fs::is_directory(folder_, error)) return {};
  return folder_ + "/" + key + kPartMarker + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + kSongExtension;
}

std::string ConvertCache::Commit(const std::string& temporary, const std::string& key) {
  const std::string path = PathFor(key);
  {
    const std::lock_guard lock(mutex_);
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
      fs::remove(temporary, error);
      return {};
    }
    ++pins_[PinName(path)];
  }
  Trim(path);
  return path;
}

void ConvertCache::Trim(const std::string& keep) {
  const std::lock_guard lock(mutex_);
  RemoveLeftovers(folder_);
  std::vector<CachedSong> songs = ListSongs(folder_);
  int64_t total = 0;
  for (const CachedSong& song : songs) total += song.bytes;
  std::sort(songs.begin(), songs.end(),
            [](const CachedSong& a, const CachedSong& b) { return a.used < b.used; });
  for (const CachedSong& song : songs) {
    if (total <= max_bytes_) break;
    if (song.path == keep || IsPinnedLocked(song.path.string())) continue;
    std::error_code error;
    if (fs::remove(song.path, error)) total -= song.bytes;
  }
}

int64_t ConvertCache::SizeBytes() const {
  int64_t total = 0;
  for (const CachedSong& song : ListSongs(folder_)) total += song.bytes;
  return total;
}

CacheClearResult ConvertCache::Clear() {
  const std::lock_guard lock(mutex_);
  CacheClearResult result;
  for (const CachedSong& song : ListSongs(folder_)) {
    if (IsPinnedLocked(song.path.string())) {
      ++result.kept_in_use;
      continue;
    }
    std::error_code error;
    if (fs::remove(song.path, error)) ++result.removed;
  }
  return result;
}

}  // namespace tarvello
