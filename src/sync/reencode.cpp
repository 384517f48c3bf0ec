#include "sync/reencode.h"

#include <memory>

#include "catalogue/m4a_reader.h"
#include "convert/convert_in_order.h"

namespace tarvello {

std::vector<Reencoded> ReencodeSongs(FileSystem& files, ConvertCache& cache,
                                     const ConvertJobsMaker& make_jobs, int kbps,
                                     const std::vector<std::string>& songs,
                                     OutputProgress& progress, bool& cancelled) {
  std::vector<Reencoded> results(songs.size());
  cancelled = false;
  if (songs.empty()) return results;
  progress.SetLabel("容量に合わせて " + std::to_string(kbps) + " kbps で再エンコードしています...");
  progress.SetMaximum(static_cast<int>(songs.size()));
  ConvertInOrder(
      files, cache, ConvertSettings{true, kbps, true}, songs,
      [&](size_t index, const ConvertResult& result) {
        progress.Step();
        if (result.action == ConvertAction::kCancelled) cancelled = true;
        if (result.Ready()) {
          results[index].song = result.song_path;
        } else {
          results[index].failure = songs[index] + ": " + result.reason;
        }
      },
      make_jobs,
      [&progress] {
        progress.ProcessEvents();
        return !progress.CancelRequested();
      });
  if (progress.CancelRequested()) cancelled = true;
  return results;
}

bool ReadSongRecord(FileSystem& files, const std::string& song, TTrackInfo& record) {
  auto staging = std::make_unique<TTrackInfo>();
  try {
    if (!ReadM4aRecord(files, *staging, song, song).Accepted()) return false;
  } catch (const FileError&) {
    return false;
  }
  record = *staging;
  return true;
}

}  // namespace tarvello
