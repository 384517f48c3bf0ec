#pragma once

// A card, its sources and the conversions of an update, over real folders: songs are
// small synthetic M4A files of a chosen play time and bit rate; the card is a folder with
// a volume name and a capacity; re-encodes are made by a pool that encodes nothing but
// writes a song of exactly the estimated size into the cache, as the real one would.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_reader.h"
#include "convert/content_hash.h"
#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "fakes/fake_platform.h"
#include "output/drives.h"
#include "output/output_progress.h"
#include "sync/card_fit.h"
#include "sync/sync_context.h"

namespace tarvello::testing {

// The bytes of an accepted M4A song of exactly `total` bytes (at least its boxes).
inline std::string SongBytes(const std::string& title, int seconds, int bit_rate, int64_t total) {
  SongLayout layout;
  layout.duration = static_cast<uint32_t>(seconds) * layout.time_scale;
  layout.audio.avg_bit_rate = static_cast<uint32_t>(bit_rate);
  layout.audio.max_bit_rate = static_cast<uint32_t>(bit_rate);
  layout.items = {TextItem("\xA9nam", title)};
  layout.media_bytes = 0;
  const int64_t boxes = static_cast<int64_t>(BuildSong(layout).size());
  layout.media_bytes = static_cast<size_t>(std::max<int64_t>(total - boxes, 0));
  return BuildSong(layout);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline ConvertResult Made(ConvertAction action, const std::string& song) {
  ConvertResult result;
  result.action = action;
  result.song_path = song;
  return result;
}

// A conversion pool that accepts what the card takes and "re-encodes" on request: the
// song it makes has the source's title and play time, the floor's bit rate and the
// estimated size, kept in the cache under the real encode's key.
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
    ConvertResult result;
    TTrackInfo record{};
    try {
      if (!ReadM4aRecord(files_, record, source, source).Accepted()) {
        result.action = ConvertAction::kRefused;
        result.reason = "no song";
        return result;
      }
    } catch (const FileError& error) {
      result.action = ConvertAction::kRefused;
      result.reason = error.what();
      return result;
    }
    if (!settings_.reencode) return Made(ConvertAction::kAccepted, source);
    const std::string key = ConvertCache::EncodeKey(*SourceContentKey(files_, source), settings_);
    if (const auto kept = cache_.Find(key)) return Made(ConvertAction::kEncoded, *kept);
    const std::string temporary = cache_.TemporaryPath(key);
    fakes::WriteFile(temporary, SongBytes(std::string(FieldText(record.Title)), record.Time,
                                          settings_.bit_rate_kbps * 1000,
                                          ReencodedBytes(record.Time, settings_.bit_rate_kbps)));
    ++made_;
    return Made(ConvertAction::kEncoded, cache_.Commit(temporary, key));
  }

  ConvertCache& cache_;
  ConvertListener& listener_;
  FileSystem& files_;
  int& made_;
  ConvertSettings settings_;
};

// A progress view that shows nothing and cancels after a number of steps, if asked to.
class QuietProgress : public OutputProgress {
 public:
  void SetLabel(const std::string&) override {}
  void SetMaximum(int maximum) override { maximum_ = maximum; }
  int Maximum() const override { return maximum_; }
  void Step() override { ++steps_; }
  void ProcessEvents() override {}
  bool CancelRequested() const override { return cancel_after_ >= 0 && steps_ >= cancel_after_; }
  void ShowMessage(const std::string&) override {}
  void Beep() override {}

  int cancel_after_ = -1;

 private:
  int maximum_ = 0;
  int steps_ = 0;
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
    MeasureFree();
  }
  void MeasureFree() {
    const int64_t used = OutputFolderUsage(fake_.files, Folder(), kClusterBytes);
    fake_.volumes.At(root_).space = {capacity_ * 2, capacity_ - used, 512, 8};
  }
  int64_t capacity() const { return capacity_; }

  std::string Folder() const { return OutputFolderPath(root_, std::string(kDefaultOutDir)); }
  // The output folder's files: name and bytes.
  std::map<std::string, std::string> CardFiles() const {
    std::map<std::string, std::string> files;
    if (!std::filesystem::is_directory(Folder())) return files;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
      files[entry.path().filename().string()] = ReadBytes(entry.path());
    }
    return files;
  }

  const fakes::TempDir& dir() const { return dir_; }
  const std::string& root() const { return root_; }
  fakes::FakePlatform& fake() { return fake_; }
  SyncContext& context() { return context_; }
  ConvertCache& cache() { return cache_; }

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
