#include "convert/conversion_queue.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_reader.h"
#include "convert/conversion_failure_text.h"
#include "convert/convert_pool.h"
#include "convert/source_probe.h"

namespace tarvello {
namespace {

// The record a song will have, from what the source says of itself.
void FillRecord(const std::string& source, const SourceProbe& probe, int bit_rate_kbps,
                TTrackInfo& record) {
  record = TTrackInfo{};
  const SongTags& tags = probe.tags;
  StoreText(record.Title, TagTextToCp932(tags.title));
  StoreText(record.Artist, TagTextToCp932(tags.artist));
  StoreText(record.Album, TagTextToCp932(tags.album));
  StoreText(record.Genre, TagTextToCp932(tags.genre));
  StoreBytes(record.Year, tags.year);
  StoreText(record.Writer, TagTextToCp932(tags.composer));
  StoreText(record.Group, TagTextToCp932(tags.grouping));
  StoreText(record.Comment, TagTextToCp932(tags.comment));
  record.TrackNo = static_cast<int16_t>(tags.track);
  record.TrackTotal = static_cast<int16_t>(tags.track_total);
  record.DiskNo = static_cast<int16_t>(tags.disc);
  record.DiskTotal = static_cast<int16_t>(tags.disc_total);
  record.Tempo = static_cast<int16_t>(tags.tempo);
  record.Compilation = tags.compilation ? 1 : 0;
  record.Time = static_cast<int32_t>(probe.seconds);
  const bool encode = probe.kind == SourceKind::kEncode;
  record.ChNum = static_cast<int16_t>(encode ? EncodedChannels(probe.channels) : probe.channels);
  record.SampleRate = encode ? EncodedSampleRate(probe.sample_rate) : probe.sample_rate;
  record.SampleSize = 16;
  if (encode) record.BitRate = record.AvgBitRate = bit_rate_kbps * 1000;
  record.FileSize = EstimatedSongBytes(probe, bit_rate_kbps);
  StoreBytes(record.FileName, source);
}

// The record of a file the helper has not looked at yet: its name stands for its title.
void FillPendingRecord(const std::string& source, TTrackInfo& record) {
  record = TTrackInfo{};
  StoreText(record.Title, TagTextToCp932(std::filesystem::path(source).stem().string()));
  StoreBytes(record.FileName, source);
}

bool Convertible(const SourceProbe& probe) {
  return probe.kind == SourceKind::kRemux || probe.kind == SourceKind::kEncode;
}

}  // namespace

ConversionQueue::ConversionQueue(FileSystem& files, const std::string& cache_folder,
                                 ConvertSettings settings, std::function<void()> wake, int threads,
                                 int64_t cache_bytes, HelperOptions helper)
    : ConversionQueue(
          files, cache_folder, settings, std::move(wake), cache_bytes,
          [&files, settings, threads, &helper](ConvertCache& cache, ConvertListener& listener) {
            return std::make_unique<ConvertPool>(files, cache, settings, listener, threads,
                                                 std::move(helper));
          }) {}

ConversionQueue::ConversionQueue(FileSystem& files, const std::string& cache_folder,
                                 ConvertSettings settings, std::function<void()> wake,
                                 int64_t cache_bytes, const ConvertJobsMaker& make_jobs)
    : files_(files),
      settings_(settings),
      cache_(cache_folder, cache_bytes),
      wake_(std::move(wake)),
      pool_(make_jobs(cache_, static_cast<ConvertListener&>(*this))) {}

ConversionQueue::~ConversionQueue() {
  {
    const std::lock_guard lock(inbox_mutex_);
    wake_ = nullptr;
  }
  {
    const std::lock_guard lock(probe_mutex_);
    stop_probes_ = true;
  }
  probe_ready_.notify_all();
  if (prober_.joinable()) prober_.join();
  pool_.reset();
}

void ConversionQueue::SetSettings(const ConvertSettings& settings) {
  settings_ = settings;
  pool_->SetSettings(settings);
}

Admission ConversionQueue::Admit(const std::string& source, TTrackInfo& record) {
  const auto entry = entries_.find(source);
  if (entry == entries_.end() || !entry->second.probe) {
    if (entry == entries_.end() || entry->second.state != ConversionState::kProbing) {
      if (!MissingHelperPlaces().empty()) return Admission::kHelperMissing;
      StartProbe(source);
    } else {
      admitted_again_ = true;
    }
    FillPendingRecord(source, record);
    changed_files_.insert(source);
    return Admission::kAdmitted;
  }
  admitted_again_ = true;
  Entry& known = entry->second;
  // A source added again after its song was made takes that song at once: no result will
  // come for it any more.
  if (known.state == ConversionState::kReady && RecordFromSong(known.song_path, record)) {
    changed_files_.insert(known.song_path);
    return Admission::kAdmitted;
  }
  FillRecord(source, *known.probe, settings_.bit_rate_kbps, record);
  const bool again = known.state == ConversionState::kFailed ||
                     known.state == ConversionState::kCancelled ||
                     known.state == ConversionState::kReady;
  if (again) Queue(source);
  changed_files_.insert(source);
  return Admission::kAdmitted;
}

void ConversionQueue::StartProbe(const std::string& source) {
  Entry& entry = entries_[source];
  entry = Entry{next_id_++, ConversionState::kProbing, entry.song_path, {}, false, {}};
  sources_[entry.id] = source;
  {
    const std::lock_guard lock(probe_mutex_);
    probe_jobs_.push_back({entry.id, source});
  }
  probe_ready_.notify_one();
  if (!prober_.joinable()) prober_ = std::thread([this] { ProbeLoop(); });
}

void ConversionQueue::ProbeLoop() {
  while (true) {
    ProbeJob job;
    {
      std::unique_lock lock(probe_mutex_);
      probe_ready_.wait(lock, [this] { return stop_probes_ || !probe_jobs_.empty(); });
      if (stop_probes_) return;
      job = std::move(probe_jobs_.front());
      probe_jobs_.pop_front();
    }
    Arrival arrival;
    arrival.id = job.id;
    arrival.probe = pool_->Probe(job.source, stop_probes_);
    if (stop_probes_) return;
    Arrive(std::move(arrival));
  }
}

bool ConversionQueue::RecordFromSong(const std::string& song_path, TTrackInfo& record) {
  // Pinned before it is looked at, so that no trim takes it in between.
  if (pinned_.insert(song_path).second) cache_.Pin(song_path);
  bool read = false;
  if (cache_.Refresh(song_path)) {
    try {
      read = ReadM4aRecord(files_, record, song_path, song_path).Accepted();
    } catch (const FileError&) {
      read = false;
    }
  }
  if (!read && pinned_.erase(song_path) > 0) cache_.Unpin(song_path);
  return read;
}

void ConversionQueue::Queue(const std::string& source) {
  Entry& entry = entries_[source];
  entry = Entry{next_id_++, ConversionState::kWaiting, entry.song_path, {}, false, entry.probe};
  sources_[entry.id] = source;
  // Rows name the source, or the song made of it before while it is made again.
  changed_files_.insert(source);
  if (!entry.song_path.empty()) changed_files_.insert(entry.song_path);
  ++unfinished_;
  pool_->Add(entry.id, source);
}

void ConversionQueue::RetryCancelled() {
  std::vector<std::string> cancelled;
  for (const auto& [source, entry] : entries_) {
    if (entry.state == ConversionState::kCancelled && !entry.dropped) cancelled.push_back(source);
  }
  for (const std::string& source : cancelled) Queue(source);
}

void ConversionQueue::Prioritize(const std::vector<std::string>& rows_in_order,
                                 const std::unordered_set<std::string>& marked) {
  std::vector<ConvertJobId> order;
  std::unordered_set<ConvertJobId> marked_jobs;
  std::unordered_set<std::string> listed;
  for (const std::string& file_name : rows_in_order) {
    // A row of a song being made again names the song, not its source.
    const auto song = song_sources_.find(file_name);
    const std::string& source = song == song_sources_.end() ? file_name : song->second;
    listed.insert(source);
    const auto entry = entries_.find(source);
    if (entry == entries_.end() || entry->second.state != ConversionState::kWaiting) continue;
    order.push_back(entry->second.id);
    if (marked.contains(file_name)) marked_jobs.insert(entry->second.id);
  }
  DropUnlisted(listed);
  pool_->SetOrder(order, marked_jobs);
}

void ConversionQueue::DropUnlisted(const std::unordered_set<std::string>& listed) {
  for (auto& [source, entry] : entries_) {
    const bool unfinished =
        entry.state == ConversionState::kWaiting || entry.state == ConversionState::kConverting;
    if (!unfinished || entry.dropped || listed.contains(source)) continue;
    entry.dropped = true;
    pool_->Cancel(entry.id);
  }
}

void ConversionQueue::ConvertStarted(ConvertJobId id) {
  Arrive({id, true, {}, {}});
}

void ConversionQueue::ConvertFinished(ConvertJobId id, const ConvertResult& result) {
  Arrive({id, false, result, {}});
}

void ConversionQueue::Arrive(Arrival arrival) {
  std::function<void()> wake;
  {
    const std::lock_guard lock(inbox_mutex_);
    inbox_.push_back(std::move(arrival));
    wake = wake_;
  }
  inbox_ready_.notify_all();
  if (wake) wake();
}

bool ConversionQueue::WaitForResult(int milliseconds) {
  std::unique_lock lock(inbox_mutex_);
  return inbox_ready_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                               [this] { return !inbox_.empty(); });
}

std::vector<int32_t> ConversionQueue::Deliver(TrackTable& table, TTrackInfo& staging,
                                              std::vector<std::string>& failures) {
  std::vector<Arrival> arrivals;
  {
    const std::lock_guard lock(inbox_mutex_);
    arrivals.swap(inbox_);
  }
  std::vector<int32_t> changed;
  if (arrivals.empty()) return changed;
  // The live records by file name, made once for all the results.
  std::unordered_map<std::string, std::vector<int32_t>> indexes;
  for (int32_t index = 0; index < table.TrackCount(); ++index) {
    if (!table[index].Deleted)
      indexes[std::string(FieldText(table[index].FileName))].push_back(index);
  }
  for (const Arrival& arrival : arrivals)
    Apply(arrival, table, staging, indexes, changed, failures);
  return changed;
}

void ConversionQueue::Apply(const Arrival& arrival, TrackTable& table, TTrackInfo& staging,
                            std::unordered_map<std::string, std::vector<int32_t>>& indexes,
                            std::vector<int32_t>& changed, std::vector<std::string>& failures) {
  const auto source = sources_.find(arrival.id);
  const bool current = source != sources_.end() && entries_[source->second].id == arrival.id;
  if (!current) {
    // An older job of a source added again: its song, if any, is not used.
    if (!arrival.started && !arrival.result.song_path.empty() &&
        arrival.result.action != ConvertAction::kAccepted) {
      cache_.Unpin(arrival.result.song_path);
    }
    return;
  }
  Entry& entry = entries_[source->second];
  // Rows name the source, or the song made of it before while it is made again.
  changed_files_.insert(source->second);
  if (!entry.song_path.empty()) changed_files_.insert(entry.song_path);
  if (arrival.probe) {
    // Copied: the entry may go.
    const std::string file = source->second;
    ApplyProbe(*arrival.probe, file, table, staging, indexes[file], changed);
    return;
  }
  if (arrival.started) {
    entry.state = ConversionState::kConverting;
    return;
  }
  --unfinished_;
  const ConvertResult& result = arrival.result;
  if (result.action == ConvertAction::kCancelled) {
    entry.state = ConversionState::kCancelled;
    return;
  }
  if (!result.Ready()) {
    entry.state = ConversionState::kFailed;
    entry.failure = ConversionFailureText(result);
    failures.push_back(source->second + "\r\n" + entry.failure);
    return;
  }
  entry.state = ConversionState::kReady;
  // Records that named the source, or the song made of it before (gone from the cache and
  // made again), take the new song.
  std::vector<int32_t> targets = indexes[source->second];
  if (!entry.song_path.empty() && entry.song_path != result.song_path) {
    const std::vector<int32_t>& earlier = indexes[entry.song_path];
    targets.insert(targets.end(), earlier.begin(), earlier.end());
  }
  entry.song_path = result.song_path;
  song_sources_[result.song_path] = source->second;
  changed_files_.insert(result.song_path);
  // A file the walk took as it is was not pinned: it is the user's own.
  if (result.action != ConvertAction::kAccepted) KeepPinned(result.song_path);
  for (const int32_t index : targets) {
    try {
      if (!ReadM4aRecord(files_, staging, result.song_path, result.song_path).Accepted()) continue;
    } catch (const FileError&) {
      continue;
    }
    staging.TrackID = table[index].TrackID;
    if (table.StoreTrack(index, staging) == StoreResult::kStored) changed.push_back(index);
  }
}

void ConversionQueue::ApplyProbe(const SourceProbe& probe, const std::string& source,
                                 TrackTable& table, TTrackInfo& staging,
                                 const std::vector<int32_t>& targets,
                                 std::vector<int32_t>& changed) {
  Entry& entry = entries_[source];
  if (!Convertible(probe)) {
    // Forgotten, so that the file is looked at afresh when it is added again.
    sources_.erase(entry.id);
    entries_.erase(source);
    if (!targets.empty()) refused_.push_back({source, probe.problem, probe.reason});
    return;
  }
  entry.probe = probe;
  if (targets.empty()) {
    // Its rows went while it was looked at: nothing to make until it is added again.
    entry.state = ConversionState::kCancelled;
    entry.dropped = true;
    return;
  }
  for (const int32_t index : targets) {
    FillRecord(source, probe, settings_.bit_rate_kbps, staging);
    staging.TrackID = table[index].TrackID;
    if (table.StoreTrack(index, staging) == StoreResult::kStored) changed.push_back(index);
  }
  Queue(source);
}

std::vector<RefusedSource> ConversionQueue::TakeRefused() {
  return std::exchange(refused_, {});
}

int ConversionQueue::Probing() const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const auto& entry) {
    return entry.second.state == ConversionState::kProbing;
  }));
}

void ConversionQueue::KeepPinned(const std::string& song_path) {
  if (!pinned_.insert(song_path).second) cache_.Unpin(song_path);
}

void ConversionQueue::ReleaseUnused(const TrackTable& table) {
  std::unordered_set<std::string> used;
  for (int32_t index = 0; index < table.TrackCount(); ++index) {
    if (!table[index].Deleted) used.insert(std::string(FieldText(table[index].FileName)));
  }
  for (auto song = pinned_.begin(); song != pinned_.end();) {
    if (used.contains(*song)) {
      ++song;
      continue;
    }
    cache_.Unpin(*song);
    song = pinned_.erase(song);
  }
}

bool ConversionQueue::ReconvertIfGone(const std::string& song_path) {
  const auto source = song_sources_.find(song_path);
  if (source == song_sources_.end() || cache_.Refresh(song_path)) return false;
  Entry& entry = entries_[source->second];
  if (entry.state == ConversionState::kWaiting || entry.state == ConversionState::kConverting) {
    return true;
  }
  if (pinned_.erase(song_path) > 0) cache_.Unpin(song_path);
  // The records naming this song take the one made now.
  entry.song_path = song_path;
  Queue(source->second);
  return true;
}

ConversionState ConversionQueue::StateOf(const std::string& file_name) const {
  // A converted song is as far as its source's latest job: ready, or being made again.
  const auto song = song_sources_.find(file_name);
  const auto entry = entries_.find(song != song_sources_.end() ? song->second : file_name);
  return entry == entries_.end() ? ConversionState::kNone : entry->second.state;
}

RowConversion ConversionQueue::ConversionOf(const std::string& file_name) const {
  const auto song = song_sources_.find(file_name);
  const auto entry = entries_.find(song != song_sources_.end() ? song->second : file_name);
  if (entry == entries_.end()) return {};
  const ConversionState state = entry->second.state;
  return {state, state == ConversionState::kFailed ? entry->second.failure : std::string()};
}

std::unordered_set<std::string> ConversionQueue::TakeChangedFiles() {
  std::unordered_set<std::string> changed;
  changed.swap(changed_files_);
  return changed;
}

bool ConversionQueue::TakeAdmittedAgain() {
  return std::exchange(admitted_again_, false);
}

std::optional<std::string> ConversionQueue::SourceOf(const std::string& song_path) const {
  const auto source = song_sources_.find(song_path);
  if (source == song_sources_.end()) return std::nullopt;
  return source->second;
}

int ConversionQueue::Unfinished() const {
  return unfinished_ + Probing();
}

void ConversionQueue::CancelAll() {
  pool_->CancelAll();
}

}  // namespace tarvello
