#pragma once

// The window's side of converting songs: files the walk refuses enter the list at once
// with their own tags and an estimated size, are converted by the pool, and their records
// take the converted song's values when it is ready. The queue keeps each source's state,
// the order the pool is asked to follow and the pins of the songs the list uses.
// Everything here runs on the UI thread except the wake call, which comes from a worker.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/row_conversion.h"
#include "catalogue/track_table.h"
#include "convert/convert_jobs.h"
#include "convert/helper_options.h"
#include "platform/platform.h"

namespace tarvello {

class ConversionQueue : private ConvertListener {
 public:
  // `wake` is called on a worker thread when results wait; the window answers by calling
  // Deliver on its own thread. The jobs go to helper processes.
  ConversionQueue(FileSystem& files, const std::string& cache_folder, ConvertSettings settings,
                  std::function<void()> wake, int threads = 0,
                  int64_t cache_bytes = kDefaultCacheBytes, HelperOptions helper = {});
  // The same over the jobs that `make_jobs` makes.
  ConversionQueue(FileSystem& files, const std::string& cache_folder, ConvertSettings settings,
                  std::function<void()> wake, int64_t cache_bytes,
                  const ConvertJobsMaker& make_jobs);
  ~ConversionQueue() override;

  const ConvertSettings& Settings() const { return settings_; }
  void SetSettings(const ConvertSettings& settings);
  ConvertCache& Cache() { return cache_; }

  // For a file the walk refused: when FFmpeg can make a song of it, fills `record` from
  // the file's own tags with the estimated size of the song (FileName is the file), queues
  // its conversion and returns true. Raises FileError when the system fails to read it.
  bool Admit(const std::string& source, TTrackInfo& record);

  // Waiting work goes marked first, then in the order given (the record file names of
  // all the list's rows). Work for a source that no row lists any more is cancelled and
  // stays so until the source is admitted again.
  void Prioritize(const std::vector<std::string>& rows_in_order,
                  const std::unordered_set<std::string>& marked);

  // Applies the results that arrived: each live record whose FileName is a converted
  // source takes the song's values, FileName included. Returns the changed table indexes;
  // `failures` receives a line (file and reason) per failed conversion.
  std::vector<int32_t> Deliver(TrackTable& table, TTrackInfo& staging,
                               std::vector<std::string>& failures);

  // The state of the song a record names, by its FileName (a source or a converted song).
  ConversionState StateOf(const std::string& file_name) const;
  // The same with the reason of a failure, as a row shows it.
  RowConversion ConversionOf(const std::string& file_name) const;
  // The record file names whose state changed since the last call: sources queued, started
  // or finished, and the songs made of them. A source admitted again is named again, so
  // its new row learns the state too.
  std::unordered_set<std::string> TakeChangedFiles();
  // True when a source admitted since the last call was admitted before, so rows already
  // listed may share its new state.
  bool TakeAdmittedAgain();
  // For a converted song that is no longer in the cache (another process may trim it):
  // queues its source again, and the records naming the song take the new one when it is
  // ready. False for a song that is still there, and for any other path.
  bool ReconvertIfGone(const std::string& song_path);
  // Songs delivered to the list stay pinned in the cache; this unpins those that no live
  // record of `table` names any more, so that the cache may trim or empty them.
  void ReleaseUnused(const TrackTable& table);
  // The user's file for a converted song; nullopt for any other path.
  std::optional<std::string> SourceOf(const std::string& song_path) const;
  // Jobs waiting or running.
  int Unfinished() const;
  // Waits up to `milliseconds` for a result to arrive; true when one is waiting.
  bool WaitForResult(int milliseconds);
  void CancelAll();
  // Queues again the work that was cancelled.
  void RetryCancelled();

 private:
  void Queue(const std::string& source);
  void DropUnlisted(const std::unordered_set<std::string>& listed);
  // Takes over the pin of a song a job made or found; one pin per song is kept.
  void KeepPinned(const std::string& song_path);
  // Fills `record` from the song already made of `source`; false when it is gone.
  bool RecordFromSong(const std::string& song_path, TTrackInfo& record);

  struct Entry {
    ConvertJobId id = 0;
    ConversionState state = ConversionState::kWaiting;
    std::string song_path;  // the latest song made of the source, kept while it is made again
    std::string failure;
    bool dropped = false;  // cancelled because no row lists the source
  };
  struct Arrival {
    ConvertJobId id = 0;
    bool started = false;
    ConvertResult result;
  };

  void ConvertStarted(ConvertJobId id) override;
  void ConvertFinished(ConvertJobId id, const ConvertResult& result) override;
  void Arrive(Arrival arrival);
  void Apply(const Arrival& arrival, TrackTable& table, TTrackInfo& staging,
             std::unordered_map<std::string, std::vector<int32_t>>& indexes,
             std::vector<int32_t>& changed, std::vector<std::string>& failures);

  FileSystem& files_;
  ConvertSettings settings_;
  ConvertCache cache_;
  std::function<void()> wake_;
  std::unordered_map<std::string, Entry> entries_;             // by source
  std::unordered_map<ConvertJobId, std::string> sources_;      // by job
  std::unordered_map<std::string, std::string> song_sources_;  // converted song -> source
  std::unordered_set<std::string> changed_files_;
  bool admitted_again_ = false;
  std::unordered_set<std::string> pinned_;  // songs this queue pinned
  ConvertJobId next_id_ = 1;
  int unfinished_ = 0;
  std::mutex inbox_mutex_;
  std::condition_variable inbox_ready_;
  std::vector<Arrival> inbox_;
  // Last, so the workers stop before the rest goes.
  std::unique_ptr<ConvertJobs> pool_;
};

}  // namespace tarvello
