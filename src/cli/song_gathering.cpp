#include "cli/song_gathering.h"

#include <utility>

#include "cli/terminal_progress.h"
#include "common/common_routine.h"
#include "convert/conversion_failure_text.h"
#include "convert/convert_in_order.h"
#include "sources/folder_walk.h"
#include "sources/track_list_adding.h"

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

// Said once, in place of a line per file that needed the helper.
void TellMissingHelper(const HelperOptions& helper, const std::string& reason, std::ostream& err) {
  const std::vector<std::string> places =
      helper.program.empty() ? HelperProgramPlaces() : std::vector<std::string>{helper.program};
  err << "tarvello-cli: the conversion program " << kHelperProgramName << " cannot be started ("
      << reason << "), so files that need converting are not added; it was looked for at:\n";
  for (const std::string& place : places) err << "  " << place << "\n";
}

// Returns how many files could not be read or converted.
int AddConverted(std::vector<std::string> paths, const GatherOptions& options,
                 Environment& environment, AddContext& context, std::ostream& err) {
  const ConvertOptions& conversion = options.conversion;
  // Songs past the limit are not converted for nothing; one more still brings its message.
  if (paths.size() > static_cast<size_t>(kMaxTracks) + 1) paths.resize(kMaxTracks + 1);
  ConvertCache cache(conversion.cache_dir.empty() ? DefaultCacheFolder(environment)
                                                  : conversion.cache_dir);
  bool stopped = false;
  int unreadable = 0;
  bool helper_missing = false;
  // A file only the missing helper could take is counted, not refused line by line.
  AddContext without_helper = context;
  without_helper.refuse = [&unreadable](const RefusedFile&) { ++unreadable; };
  WarnOfAnUnrestrictedHelper(err);
  ConvertInOrder(
      context.files, cache, ConvertSettings{true, conversion.bit_rate_kbps}, paths,
      [&](size_t index, const ConvertResult& result) {
        if (stopped) return;
        // A file the system could not read is neither converted nor written
        // as it is: reading it again might give other bytes.
        if (result.problem == ConvertProblem::kCannotRead) {
          ++unreadable;
          err << TerminalText(paths[index] + ": " + ConversionFailureText(result)) << "\n";
          return;
        }
        if (result.problem == ConvertProblem::kHelperMissing) {
          if (!std::exchange(helper_missing, true)) {
            TellMissingHelper(options.helper, result.reason, err);
          }
          stopped = AddSongPath(without_helper, paths[index]) == AddOutcome::kStop;
          return;
        }
        // A refused file goes the old way: it may be a track list, and its
        // message names it.
        if (!result.Ready()) err << paths[index] << ": " << result.reason << "\n";
        const std::string& song = result.Ready() ? result.song_path : paths[index];
        stopped = AddSongPath(context, song) == AddOutcome::kStop;
      },
      0, options.helper);
  return unreadable;
}

}  // namespace

int GatherSongs(const std::vector<std::string>& given, const GatherOptions& options,
                FileSystem& files, Environment& environment, ListAdding& adding,
                std::ostream& err) {
  int refused = 0;
  auto report = [&err](const std::string& text) { err << TerminalText(text) << "\n"; };
  // An XML or RMP track list given as a song adds the songs it lists; its messages are no
  // refusals.
  AddContext context = TrackListAddContext(
      {files, adding.temp_names, GetTempFolder(environment), adding.table, adding.staging,
       adding.track_id_list},
      [&](const std::string& text) {
        ++refused;
        report(text);
      },
      report);
  const std::vector<std::string> paths = SongPaths(given, files, err);
  if (options.convert) {
    refused += AddConverted(paths, options, environment, context, err);
  } else {
    AddAsTheyAre(paths, context);
  }
  return refused;
}

}  // namespace tarvello::cli
