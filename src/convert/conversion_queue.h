#pragma once

// The window's side of converting songs: files the walk refuses enter the list at once
// with their own tags and an estimated size, are converted by the pool, and their records
// take the converted song's values when it is ready. The queue keeps each source's state,
// the order the pool is asked to follow and the pins of the songs the list uses.
// Everything here runs on the UI thread except the wake call, which comes from a worker.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "catalogue/row_conversion.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "convert/convert_jobs.h"
#include "convert/helper_options.h"
#include "platform/platform.h"

namespace tarvello {

enum class Admission {
  kAdmitted,       // the file is listed; its probe or its conversion goes on
  kHelperMissing,  // the helper program is not there, so nothing can be converted
};

// A file the helper would not make a song of, or could not look at.
struct RefusedSource {
  std::string source;
  ConvertProblem problem = ConvertProblem::kOther;
  std::string reason;
};

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

  // For a file the walk refused, or whose audio is not AAC: fills `record` as the file's
  // row until the helper has looked at it (FileName is the file, the title its name) and
  // asks the helper in the background. The answer comes with the results (Deliver): the
  // records naming the file take its own tags and the estimated size of the song, and its
  // conversion is queued; or TakeRefused names it. A file looked at before is not asked
  // about again, and one whose song was made takes that song at once.
  Admission Admit(const std::string& source, TTrackInfo& record);
  // The files the helper refused or could not read since the last call, among those a
  // live record still names; their records are left for the caller to remove.
  std::vector<RefusedSource> TakeRefused();
  // Files admitted that the helper has not answered for yet.
  int Probing() const;
  // Where the helper program was looked for, when it is not there; empty when it is.
  std::vector<std::string> MissingHelperPlaces() const { return pool_->MissingHelperPlaces(); }

  // Waiting work goes marked first, then in the order given (the record file names of
  // all the list's rows). Work for a source that no row lists any more is cancelled and
  // stays so until the source is admitted again.
  void Prioritize(const std::vector<std::string>& rows_in_order,
                  const std::unordered_set<std::string>& marked);

  // The list's side: each row names the record file of its table entry; a row without a
  // live record is passed over.
  //
  // Waiting work goes marked rows first, then in row order (Prioritize above).
  void Prioritize(const TrackList& rows, const TrackTable& table);
  // Applies the results that arrived (Deliver below); returns the rows of changed records.
  std::vector<int> DeliverToRows(TrackTable& table, TTrackInfo& staging, const TrackList& rows,
                                 std::vector<std::string>& failures);
  // The rows whose song's state changed since the last call take it; returns each run of
  // neighbouring changed rows (first, last), so that it is redrawn once.
  std::vector<std::pair<int, int>> FollowStates(TrackList& rows, const TrackTable& table);
  // New rows first..last take their song's state, whenever its last change was heard, and
  // show the user's file. Returns the runs of older rows that changed with them (a source
  // admitted again): only then are they looked at, so a folder of new songs costs no walk
  // over the list per song.
  std::vector<std::pair<int, int>> TakeStates(TrackList& rows, const TrackTable& table, int first,
                                              int last);
  // A converted song's row shows the user's file, not the song in the cache.
  void ShowSourceName(TrackRow& row) const;
  // The rows whose record names one of `files`.
  static std::vector<int> RowsNaming(const TrackList& rows, const TrackTable& table,
                                     const std::unordered_set<std::string>& files);
  // How far the marked rows' songs are.
  struct MarkedSongs {
    int converted = 0;  // marked rows whose song is or was converted
    int waiting = 0;    // of those, the ones not made yet (cancelled ones included)
    bool failed = false;
  };
  MarkedSongs CountMarked(const TrackList& rows, const TrackTable& table) const;
  // Queues again the marked rows' songs that are gone from the cache (ReconvertIfGone);
  // returns how many, and the work then follows the list's order.
  int ReconvertGoneMarked(const TrackList& rows, const TrackTable& table);

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
  // Files being looked at, and jobs waiting or running.
  int Unfinished() const;
  // Waits up to `milliseconds` for a result to arrive; true when one is waiting.
  bool WaitForResult(int milliseconds);
  void CancelAll();
  // Queues again the work that was cancelled.
  void RetryCancelled();

 private:
  void Queue(const std::string& source);
  void StartProbe(const std::string& source);
  // Runs on the prober thread: one probe after another, until the queue goes.
  void ProbeLoop();
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
    bool dropped = false;              // cancelled because no row lists the source
    std::optional<SourceProbe> probe;  // what the helper said of the source
  };
  struct Arrival {
    ConvertJobId id = 0;
    bool started = false;
    ConvertResult result;
    std::optional<SourceProbe> probe;  // set for a probe's answer
  };
  struct ProbeJob {
    ConvertJobId id = 0;
    std::string source;
  };

  void ConvertStarted(ConvertJobId id) override;
  void ConvertFinished(ConvertJobId id, const ConvertResult& result) override;
  void Arrive(Arrival arrival);
  void Apply(const Arrival& arrival, TrackTable& table, TTrackInfo& staging,
             std::unordered_map<std::string, std::vector<int32_t>>& indexes,
             std::vector<int32_t>& changed, std::vector<std::string>& failures);
  void ApplyProbe(const SourceProbe& probe, const std::string& source, TrackTable& table,
                  TTrackInfo& staging, const std::vector<int32_t>& targets,
                  std::vector<int32_t>& changed);

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
  std::vector<RefusedSource> refused_;
  // The probes go one after another on a thread of their own, so that a file that keeps
  // the helper busy never holds the window.
  std::mutex probe_mutex_;
  std::condition_variable probe_ready_;
  std::deque<ProbeJob> probe_jobs_;
  std::atomic<bool> stop_probes_{false};
  std::thread prober_;
  // Last, so the workers stop before the rest goes.
  std::unique_ptr<ConvertJobs> pool_;
};

}  // namespace tarvello
