#include "sync/card_songs.h"

#include <set>
#include <tuple>

#include "convert/convert_in_order.h"
#include "sources/add_files.h"
#include "sync/source_songs.h"

namespace tarvello {
namespace {

constexpr const char* kGathering = "曲の入手元を読み込んでいます...";
constexpr const char* kConverting = "曲を変換しています...";

// One file to add, and the source that named it first.
struct Wanted {
  std::string path;
  size_t source = 0;
};

// A file's identity where the system tells one, else its normal path, so that two
// spellings of one file count once.
class SeenFiles {
 public:
  explicit SeenFiles(FileSystem& files) : files_(files) {}
  bool FirstTime(const std::string& path) {
    const std::string normal = files_.AbsolutePath(path);
    const std::optional<FileIdentity> identity = files_.Identify(normal);
    if (identity) return identities_.insert({identity->device, identity->inode}).second;
    return paths_.insert(normal).second;
  }

 private:
  FileSystem& files_;
  std::set<std::tuple<uint64_t, uint64_t>> identities_;
  std::set<std::string> paths_;
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
    std::vector<Wanted> wanted;
    if (!ReadSources(wanted)) return std::move(songs_);
    std::vector<int> per_source(profile_.sources.size(), 0);
    Add(wanted, per_source);
    if (songs_.refusal.kind != SyncRefusalKind::kNone) return std::move(songs_);
    for (size_t i = 0; i < per_source.size(); ++i) {
      if (per_source[i] == 0) {
        songs_.refusal = EmptySource(profile_.sources[i]);
        break;
      }
    }
    return std::move(songs_);
  }

 private:
  bool ReadSources(std::vector<Wanted>& wanted) {
    SeenFiles seen(context_.platform.files);
    for (size_t i = 0; i < profile_.sources.size(); ++i) {
      SourceFiles found = ReadSourceFiles(profile_.sources[i], context_, temp_names_);
      if (found.refusal.kind != SyncRefusalKind::kNone) {
        songs_.refusal = std::move(found.refusal);
        return false;
      }
      songs_.notes.insert(songs_.notes.end(), found.notes.begin(), found.notes.end());
      bool gave_any = false;
      for (std::string& path : found.files) {
        gave_any = true;
        if (seen.FirstTime(path)) wanted.push_back({std::move(path), i});
      }
      // A source all of whose files came earlier still gives songs.
      if (!gave_any) {
        songs_.refusal = EmptySource(profile_.sources[i]);
        return false;
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

  void Add(const std::vector<Wanted>& wanted, std::vector<int>& per_source) {
    progress_.SetMaximum(static_cast<int>(wanted.size()));
    if (!context_.convert) {
      for (const Wanted& file : wanted) {
        if (AddSong(file.path, file.path)) ++per_source[file.source];
        progress_.Step();
        if (Cancelled()) return;
      }
      return;
    }
    progress_.SetLabel(kConverting);
    std::vector<std::string> paths;
    for (const Wanted& file : wanted) paths.push_back(file.path);
    const ConvertSettings settings{true, profile_.output.bit_rate_kbps};
    bool cancelled = false;
    ConvertInOrder(
        context_.platform.files, context_.cache, settings, paths,
        [&](size_t index, const ConvertResult& result) {
          progress_.Step();
          if (result.action == ConvertAction::kCancelled) cancelled = true;
          if (cancelled) {
            if (result.Ready()) context_.cache.Unpin(result.song_path);
            return;
          }
          if (!result.Ready()) {
            songs_.notes.push_back(paths[index] + ": " + result.reason);
            return;
          }
          const bool converted = result.song_path != paths[index];
          if (converted) songs_.pinned.push_back(result.song_path);
          if (AddSong(result.song_path, paths[index])) ++per_source[wanted[index].source];
        },
        context_.make_jobs,
        [this] {
          progress_.ProcessEvents();
          return !progress_.CancelRequested();
        });
    if (cancelled || progress_.CancelRequested())
      songs_.refusal = {SyncRefusalKind::kCancelled, {}};
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
