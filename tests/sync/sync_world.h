#pragma once

// A card, its sources and the conversions of an update, over real folders: songs are
// small synthetic M4A files of a chosen play time and bit rate; the card is a folder with
// a volume name and a capacity; re-encodes are made by a pool that encodes nothing but
// writes a song of exactly the estimated size into the cache, as the real one would.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_reader.h"
#include "convert/content_hash.h"
#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_progress.h"
#include "output/drives.h"
#include "sync/card_fit.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"

namespace tarvello::testing {

// The bytes of an accepted M4A song of exactly `total` bytes (at least its boxes).
inline std::string SongBytes(const std::string& title, int seconds, int bit_rate, int64_t total) {
  SongLayout layout;
  layout.duration = static_cast<uint32_t>(seconds) * layout.time_scale;
  layout.audio.avg_bit_rate = layout.audio.max_bit_rate = static_cast<uint32_t>(bit_rate);
  layout.items = {TextItem("\xA9nam", title)};
  const auto boxes = static_cast<int64_t>(BuildSong(layout).size() - layout.media_bytes);
  layout.media_bytes = static_cast<size_t>(std::max<int64_t>(total - boxes, 0));
  return BuildSong(layout);
}

inline ConvertResult Made(ConvertAction action, const std::string& song, std::string reason = {}) {
  ConvertResult result;
  result.action = action;
  result.song_path = song;
  result.reason = std::move(reason);
  return result;
}

// A pool that accepts what the card takes and "re-encodes" on request: the song it makes
// has the source's title and play time, the floor's bit rate and the estimated size, kept
// in the cache under the real encode's key.
class ReencodingPool : public ConvertJobs {
 public:
  ReencodingPool(ConvertCache& cache, ConvertListener& listener, FileSystem& files, int& made)
      : cache_(cache), listener_(listener), files_(files), made_(made) {}

  void Add(ConvertJobId id, const std::string& source) override {
    listener_.ConvertStarted(id);
    listener_.ConvertFinished(id, Convert(source));
  }
  void SetOrder(const std::vector<ConvertJobId>&,
                const std::unordered_set<ConvertJobId>&) override {}
  void SetSettings(const ConvertSettings& settings) override { settings_ = settings; }
  void Cancel(ConvertJobId) override {}
  void CancelAll() override {}
  SourceProbe Probe(const std::string&, const std::atomic<bool>&) override { return {}; }
  std::vector<std::string> MissingHelperPlaces() const override { return {}; }

 private:
  ConvertResult Convert(const std::string& source) {
    TTrackInfo record{};
    bool accepted = false;
    try {
      accepted = ReadM4aRecord(files_, record, source, source).Accepted();
    } catch (const FileError&) {
      // an unreadable source is refused like any other
    }
    if (!accepted) return Made(ConvertAction::kRefused, {}, "no song");
    if (!settings_.reencode) return Made(ConvertAction::kAccepted, source);
    const std::string key = ConvertCache::EncodeKey(*SourceContentKey(files_, source), settings_);
    if (const auto kept = cache_.Find(key)) return Made(ConvertAction::kEncoded, *kept);
    const std::string temporary = cache_.TemporaryPath(key);
    const int kbps = settings_.bit_rate_kbps;
    fakes::WriteFile(temporary, SongBytes(std::string(FieldText(record.Title)), record.Time,
                                          kbps * 1000, ReencodedBytes(record.Time, kbps)));
    ++made_;
    return Made(ConvertAction::kEncoded, cache_.Commit(temporary, key));
  }

  ConvertCache& cache_;
  ConvertListener& listener_;
  FileSystem& files_;
  int& made_;
  ConvertSettings settings_;
};

inline constexpr int64_t kClusterBytes = 4096;

class SyncWorld {
 public:
  static constexpr const char* kVolume = "CARD-0001";

  SyncWorld() : cache_(dir_.Path("cache")) {
    std::filesystem::create_directories(root_);
    fake_.files.volume_names[root_] = kVolume;
    fake_.volumes.Add(root_, "CARD");
    context_.make_jobs = [this](ConvertCache& cache, ConvertListener& listener) {
      return std::make_unique<ReencodingPool>(cache, listener, fake_.files, reencodes_made);
    };
    context_.hash_cache_folder = dir_.Path("hashes");
    context_.temp_folder = dir_.Path("tmp") + "/";
    SetCapacity(int64_t{64} * 1024 * 1024);
  }

  // A song file of `seconds` at `kbps`, sized as that bit rate makes it.
  std::string MakeSong(const std::string& path, int seconds, int kbps) {
    fakes::WriteFile(path, SongBytes(std::filesystem::path(path).stem().string(), seconds,
                                     kbps * 1000, ReencodedBytes(seconds, kbps) + 700));
    return path;
  }

  // The card offers `bytes` to the output folder (other files take the rest), never less
  // than the folder holds now: the other files could not have been written otherwise.
  void SetCapacity(int64_t bytes) {
    capacity_ = std::max(bytes, OutputFolderUsage(fake_.files, Folder(), kClusterBytes));
  }
  int64_t capacity() const { return capacity_; }

  // The plan and the update, with the card's free space measured as it is now.
  SyncPlan Plan(const CardProfile& profile, OutputProgress& progress) {
    const int64_t used = OutputFolderUsage(fake_.files, Folder(), kClusterBytes);
    fake_.volumes.At(root_).space = {capacity_ * 2, capacity_ - used, 512, 8};
    return MakeSyncPlan(profile, root_, context_, progress);
  }
  SyncResult Run(SyncPlan& plan, bool confirmed, OutputProgress& progress) {
    return RunSync(plan, {dir_.Path("backup/day"), true, confirmed}, context_, progress);
  }

  std::string Folder() const { return OutputFolderPath(root_, std::string(kDefaultOutDir)); }
  // The output folder's files: name and bytes.
  std::map<std::string, std::string> CardFiles() const { return fakes::FolderContents(Folder()); }

  const fakes::TempDir& dir() const { return dir_; }
  fakes::FakePlatform& fake() { return fake_; }
  SyncContext& context() { return context_; }

  int reencodes_made = 0;

 private:
  fakes::TempDir dir_;
  std::string root_ = dir_.Path("card");
  fakes::FakePlatform fake_;
  ConvertCache cache_;
  SyncContext context_{fake_.platform, cache_};
  int64_t capacity_ = 0;
};

}  // namespace tarvello::testing
