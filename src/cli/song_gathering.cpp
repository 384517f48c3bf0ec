#include "cli/song_gathering.h"

#include "cli/terminal_progress.h"
#include "common/common_routine.h"
#include "convert/conversion_failure_text.h"
#include "convert/convert_in_order.h"
#include "sources/folder_walk.h"
#include "sources/track_list_file.h"

namespace tarvello::cli {
namespace {

// The given paths with each folder replaced by its songs in natural order.
std::vector<std::string> SongPaths(const std::vector<std::string>& given, FileSystem& files,
                                   std::ostream& err) {
  std::vector<std::string> paths;
  const auto natural = MakeNaturalCollator();
  for (const std::string& song : given) {
    if (!files.DirectoryExists(song)) {
      paths.push_back(song);
      continue;
    }
    FolderWalkResult folder = WalkMusicFolder(song, *natural);
    paths.insert(paths.end(), folder.songs.begin(), folder.songs.end());
    if (folder.passed_over > 0) {
      err << song << ": " << folder.passed_over << " files that are not music passed over\n";
    }
    for (const std::string& unreadable : folder.unreadable) {
      err << unreadable << ": the folder cannot be read\n";
    }
  }
  return paths;
}

void AddAsTheyAre(const std::vector<std::string>& paths, AddContext& context) {
  for (const std::string& path : paths) {
    if (AddSongPath(context, path) == AddOutcome::kStop) break;
  }
}

// Returns how many files could not be read.
int AddConverted(std::vector<std::string> paths, const ConvertOptions& conversion,
                 Environment& environment, AddContext& context, std::ostream& err) {
  // Songs past the limit are not converted for nothing; one more still brings its message.
  if (paths.size() > static_cast<size_t>(kMaxTracks) + 1) paths.resize(kMaxTracks + 1);
  ConvertCache cache(conversion.cache_dir.empty() ? DefaultCacheFolder(environment)
                                                  : conversion.cache_dir);
  bool stopped = false;
  int unreadable = 0;
  WarnOfAnUnrestrictedHelper(err);
  ConvertInOrder(context.files, cache, ConvertSettings{true, conversion.bit_rate_kbps}, paths,
                 [&](size_t index, const ConvertResult& result) {
                   if (stopped) return;
                   // A file the system could not read is neither converted nor written
                   // as it is: reading it again might give other bytes.
                   if (result.problem == ConvertProblem::kCannotRead) {
                     ++unreadable;
                     err << TerminalText(paths[index] + ": " + ConversionFailureText(result))
                         << "\n";
                     return;
                   }
                   // A refused file goes the old way: it may be a track list, and its
                   // message names it.
                   if (!result.Ready()) err << paths[index] << ": " << result.reason << "\n";
                   const std::string& song = result.Ready() ? result.song_path : paths[index];
                   stopped = AddSongPath(context, song) == AddOutcome::kStop;
                 });
  return unreadable;
}

}  // namespace

int GatherSongs(const std::vector<std::string>& given, const GatherOptions& options,
                FileSystem& files, Environment& environment, ListAdding& adding,
                std::ostream& err) {
  int refused = 0;
  auto report = [&err](const std::string& text) { err << TerminalText(text) << "\n"; };
  AddContext context{
      files, adding.temp_names, GetTempFolder(environment), adding.table, adding.staging,
      // An XML or RMP track list given as a song adds the songs it lists.
      [&](const std::string& path) {
        const TrackListResult result =
            ReadTrackList(files, path, adding.table, adding.staging, adding.track_id_list);
        for (const std::string& message : result.messages) report(message);
        return result.accepted;
      },
      [&](const std::string& text) {
        ++refused;
        report(text);
      }};
  const std::vector<std::string> paths = SongPaths(given, files, err);
  if (options.convert) {
    refused += AddConverted(paths, options.conversion, environment, context, err);
  } else {
    AddAsTheyAre(paths, context);
  }
  return refused;
}

}  // namespace tarvello::cli
