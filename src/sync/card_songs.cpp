#include "sync/card_songs.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "convert/convert_in_order.h"
#include "sources/add_files.h"
#include "sync/source_songs.h"

namespace tarvello {
namespace {

constexpr const char* kGathering = "曲の入手元を読み込んでいます...";
constexpr const char* kConverting = "曲を変換しています...";

// A file's identity where the system tells one, else its normal path, so that two
// spellings of one file count once. Each file gets the index of its first sighting.
class SeenFiles {
 public:
  explicit SeenFiles(FileSystem& files) : files_(files) {}
  // The file's index: a new one (`next`) the first time, else the first sighting's.
  size_t IndexOf(const std::string& path, size_t next) {
    const std::string normal = files_.AbsolutePath(path);
    const std::optional<FileIdentity> identity = files_.Identify(normal);
    if (identity)
      return identities_.try_emplace({identity->device, identity->inode}, next).first->second;
    return paths_.try_emplace(normal, next).first->second;
  }

 private:
  FileSystem& files_;
  std::map<std::tuple<uint64_t, uint64_t>, size_t> identities_;
  std::map<std::string, size_t> paths_;
};

SyncRefusal EmptySource(const CardSource& source) {
  return {SyncRefusalKind::kSourceEmpty,
          "曲の入手元に出力できる曲がありません: " + CardSourceLabel(source) +
              "\r\nカードは変更していません. カードを空にするには、この入手元をカードの内容から"
              "外してください."};
}

class Gathering {
 public:
  Gathering(const CardProfile& profile, SyncContext& context, OutputProgress& progress)
      : profile_(profile), context_(context), progress_(progress) {}

  CardSongs Run() {
    progress_.SetLabel(kGathering);
    std::vector<std::string> wanted;
    std::vector<std::vector<size_t>> named(profile_.sources.size());
    if (!ReadSources(wanted, named)) return std::move(songs_);
    std::vector<char> became_song(wanted.size(), 0);
    Add(wanted, became_song);
    if (songs_.refusal.kind != SyncRefusalKind::kNone) return std::move(songs_);
    // A source whose files all came earlier still gives songs; one with none does not.
    for (size_t i = 0; i < named.size(); ++i) {
      const auto song = [&](size_t index) { return became_song[index] != 0; };
      if (std::none_of(named[i].begin(), named[i].end(), song)) {
        songs_.refusal = EmptySource(profile_.sources[i]);
        break;
      }
    }
    return std::move(songs_);
  }

 private:
  // The files of every source, each once; `named[i]` the files source i names.
  bool ReadSources(std::vector<std::string>& wanted, std::vector<std::vector<size_t>>& named) {
    SeenFiles seen(context_.platform.files);
    for (size_t i = 0; i < profile_.sources.size(); ++i) {
      SourceFiles found = ReadSourceFiles(profile_.sources[i], context_, temp_names_);
      if (found.refusal.kind != SyncRefusalKind::kNone) {
        songs_.refusal = std::move(found.refusal);
        return false;
      }
      songs_.notes.insert(songs_.notes.end(), found.notes.begin(), found.notes.end());
      for (std::string& path : found.files) {
        const size_t index = seen.IndexOf(path, wanted.size());
        if (index == wanted.size()) wanted.push_back(std::move(path));
        named[i].push_back(index);
      }
      if (Cancelled()) return false;
    }
    return true;
  }

  bool Cancelled() {
    progress_.ProcessEvents();
    if (!progress_.CancelRequested()) return false;
    songs_.refusal = {SyncRefusalKind::kCancelled, {}};
    return true;
  }

  AddContext Context(const std::string& source_path) {
    return {context_.platform.files, temp_names_, context_.temp_folder, songs_.table, staging_,
            // A song of a card source is never read as a track list.
            [](const std::string&) { return false; },
            [this, source_path](const std::string& text) {
              songs_.notes.push_back(source_path + ": " + text);
            }};
  }

  // Reads one card-ready file into the table; true when it became a song.
  bool AddSong(const std::string& song, const std::string& source_path) {
    if (!songs_.table.CanAdd()) return false;
    AddContext context = Context(source_path);
    const int32_t before = songs_.table.TrackCount();
    try {
      AddSongPath(context, song);
    } catch (const FileError& error) {
      songs_.notes.push_back(source_path + ": " + error.what());
    }
    const int32_t added = songs_.table.TrackCount() - before;
    for (int32_t i = 0; i < added; ++i) songs_.sources.push_back(source_path);
    return added > 0;
  }

  void Add(const std::vector<std::string>& wanted, std::vector<char>& became_song) {
    progress_.SetMaximum(static_cast<int>(wanted.size()));
    if (!context_.convert) {
      for (size_t i = 0; i < wanted.size(); ++i) {
        became_song[i] = AddSong(wanted[i], wanted[i]);
        progress_.Step();
        if (Cancelled()) return;
      }
      return;
    }
    progress_.SetLabel(kConverting);
    const ConvertSettings settings{true, profile_.output.bit_rate_kbps};
    bool cancelled = false;
    ConvertInOrder(
        context_.platform.files, context_.cache, settings, wanted,
        [&](size_t index, const ConvertResult& result) {
          progress_.Step();
          if (result.action == ConvertAction::kCancelled) cancelled = true;
          if (cancelled) {
            if (result.Ready()) context_.cache.Unpin(result.song_path);
            return;
          }
          if (!result.Ready()) {
            songs_.notes.push_back(wanted[index] + ": " + result.reason);
            return;
          }
          if (result.song_path != wanted[index]) songs_.pinned.push_back(result.song_path);
          became_song[index] = AddSong(result.song_path, wanted[index]);
        },
        context_.make_jobs,
        [this] {
          progress_.ProcessEvents();
          return !progress_.CancelRequested();
        });
    if (cancelled || progress_.CancelRequested()) {
      songs_.refusal = {SyncRefusalKind::kCancelled, {}};
    }
  }

  const CardProfile& profile_;
  SyncContext& context_;
  OutputProgress& progress_;
  TempNameCounter temp_names_;
  TTrackInfo staging_{};
  CardSongs songs_;
};

}  // namespace

CardSongs GatherCardSongs(const CardProfile& profile, SyncContext& context,
                          OutputProgress& progress) {
  CardSongs songs = Gathering(profile, context, progress).Run();
  if (songs.refusal.kind != SyncRefusalKind::kNone) ReleaseCardSongs(context.cache, songs.pinned);
  return songs;
}

void ReleaseCardSongs(ConvertCache& cache, std::vector<std::string>& pinned) {
  for (const std::string& song : pinned) cache.Unpin(song);
  pinned.clear();
}

}  // namespace tarvello
