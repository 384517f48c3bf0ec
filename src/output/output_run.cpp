#include "output/output_run.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "common/cp932.h"
#include "output/backup_folder.h"
#include "output/backup_writer.h"
#include "output/card_names.h"
#include "output/card_verify.h"
#include "output/known_contents.h"
#include "output/management_files.h"
#include "output/output_messages.h"
#include "output/output_targets.h"

namespace tarvello {
namespace {

constexpr const char* kPreparing = "出力の準備中... ";
constexpr const char* kBackingUp = "ファイルのバックアップ中... ";
constexpr const char* kWriting = "ファイルの出力中... ";
constexpr const char* kTempPrefix = "RN";
constexpr const char* kTempExtension = "TMP";
constexpr int kCountEventsEvery = 20;
constexpr int kCleanEventsEvery = 10;
constexpr int kManagementEventsEvery = 5;
constexpr std::time_t kSecondsPerSong = 2;

// The message, the path it concerns and why the change failed.
std::string WithReason(const char* message, const std::string& path, const FileChange& change) {
  return WithLine(message, path) + "\r\n" + ChangeFaultText(change);
}

// A refused rename shows the message alone, as it always has; a file system that
// answered yes and did otherwise is named, since nothing else would explain it.
std::string RenameFailedText(const std::string& path, const FileChange& change) {
  if (change.fault == ChangeFault::kRefused) return WithLine(kRenameFailed, path);
  return WithReason(kRenameFailed, path, change);
}

// The files of the folder that the run replaces: neither folders nor system files.
std::vector<std::string> FolderFiles(FileSystem& files, const std::string& folder,
                                     OutputProgress& progress) {
  std::vector<std::string> names;
  for (const DirEntry& entry : files.ListDirectory(folder)) {
    if (entry.is_directory || entry.is_system) continue;
    names.push_back(entry.name);
    if (names.size() % kCountEventsEvery == 0) progress.ProcessEvents();
  }
  return names;
}

// The label text: phase text, counter and suffix.
class Label {
 public:
  explicit Label(OutputProgress& progress) : progress_(progress) {}
  void Begin(const char* phase, int total) {
    phase_ = phase;
    suffix_ = " / " + std::to_string(total);
    Show(0);
  }
  void Show(int counter) { progress_.SetLabel(phase_ + std::to_string(counter) + suffix_); }

 private:
  OutputProgress& progress_;
  std::string phase_;
  std::string suffix_;
};

class OutputRun {
 public:
  OutputRun(const OutputRunSettings& settings, TrackList& rows, TrackTable& table,
            Platform& platform, TempNameCounter& temp_names, OutputProgress& progress)
      : settings_(settings),
        rows_(rows),
        table_(table),
        files_(platform.files),
        environment_(platform.environment),
        temp_names_(temp_names),
        progress_(progress),
        label_(progress),
        folder_(FolderWithSlash(settings.folder)),
        known_(files_, settings.hash_cache_folder, folder_) {}

  // The caches learn what the run found and wrote, however it ended.
  OutputRunResult Run() {
    OutputRunResult result = Steps();
    known_.Save();
    return result;
  }

 private:
  OutputRunResult Steps() {
    result_.targets = CountTargets();
    progress_.SetMaximum(result_.targets / kManagementEntriesPerFile + result_.targets + 1);
    progress_.SetLabel(kPreparing);
    const bool ready = files_.DirectoryExists(settings_.folder) ? CleanFolder() : CreateFolder();
    if (!ready) return result_;
    if (progress_.CancelRequested()) return Ended(OutputRunEnd::kCancelled);
    label_.Begin(kWriting, result_.targets);
    if (!WriteManagement()) return result_;
    if (!WriteSongs()) return result_;
    if (const FileChange flushed = files_.SyncVolume(settings_.folder); !flushed) {
      return Failed(WithReason(kFlushFailed, settings_.folder, flushed));
    }
    if (progress_.CancelRequested()) return Ended(OutputRunEnd::kCancelled);
    if (settings_.verify && !VerifyCard()) return result_;
    progress_.Beep();
    progress_.ShowMessage(CompletionText(result_.written));
    return Ended(OutputRunEnd::kCompleted);
  }

  int CountTargets() const {
    int count = 0;
    for (int row = 0; row < rows_.RowCount(); ++row) count += IsOutputTarget(rows_.Row(row));
    return count;
  }

  OutputRunResult& Ended(OutputRunEnd end) {
    result_.end = end;
    result_.incomplete = end != OutputRunEnd::kCompleted && folder_changed_ && !songs_tried_;
    return result_;
  }

  static std::string FolderWithSlash(const std::string& folder) {
    const std::string normal = LexicallyNormalPath(folder);
    return normal.ends_with('/') ? normal : normal + "/";
  }

  OutputRunResult& Failed(const std::string& message) {
    progress_.ShowMessage(message);
    return Ended(OutputRunEnd::kFailed);
  }

  bool CreateFolder() {
    if (files_.CreateDirectories(settings_.folder)) return true;
    Failed(kCreateFolderFailed);
    return false;
  }

  // Backs up the folder's files, parks the songs that are output again under temporary
  // names and deletes the rest.
  bool CleanFolder() {
    const std::vector<std::string> names = FolderFiles(files_, settings_.folder, progress_);
    known_.LookAtCard(names);
    OutputSourceIndex sources(rows_, table_, files_);
    std::vector<SourceRows> rows_of;
    rows_of.reserve(names.size());
    for (const std::string& name : names) rows_of.push_back(sources.TakeRowsOf(folder_ + name));
    const std::vector<int> outside = sources.RemainingTargets();
    const bool backup = settings_.options.BackupBeforeOutput;
    if (backup) progress_.SetMaximum(progress_.Maximum() + static_cast<int>(names.size()));
    if (backup && !names.empty() && !BackUp(names, outside)) return false;
    const std::map<std::string, int> matched = MatchOutside(names, rows_of, outside);
    for (size_t index = 0; index < names.size(); ++index) {
      if (progress_.CancelRequested()) break;
      const auto match = matched.find(names[index]);
      const std::optional<int> taken =
          match == matched.end() ? std::nullopt : std::optional<int>(match->second);
      if (!Clear(names[index], rows_of[index], taken)) return false;
      if ((index + 1) % kCleanEventsEvery == 0) progress_.ProcessEvents();
    }
    return true;
  }

  std::string SourceOf(int row) const {
    const TTrackInfo* record = RowRecord(rows_, table_, row);
    return record != nullptr ? std::string(FieldText(record->FileName)) : "";
  }

  // Copies every file of the folder into a new backup folder before anything is changed.
  // A cancel ends the backup where it is; the run then ends too.
  bool BackUp(const std::vector<std::string>& names, const std::vector<int>& outside) {
    StartBackup(static_cast<int>(names.size()));
    std::set<std::string> sources;
    for (const int row : outside) sources.insert(SourceOf(row));
    BackupWriter writer(files_, known_, result_.backup_folder,
                        std::vector<std::string>(sources.begin(), sources.end()));
    for (size_t index = 0; index < names.size() && !progress_.CancelRequested(); ++index) {
      if (!writer.BackUp(folder_ + names[index], names[index])) {
        writer.Finish();
        Failed(WithLine(kBackupFailed, folder_ + names[index]));
        return false;
      }
      progress_.Step();
      label_.Show(static_cast<int>(index + 1));
      if ((index + 1) % 2 == 0) progress_.ProcessEvents();
    }
    if (writer.Finish()) return true;
    Failed(WithLine(kBackupFailed, result_.backup_folder));
    return false;
  }

  // The folder's files that hold the bytes of a marked song from outside the folder, each
  // with the first such row, which then takes it instead of a copy. Only files that no
  // marked row lists as its own can be taken; sizes are compared first, so only files of
  // equal size are hashed (or their remembered hashes looked up).
  std::map<std::string, int> MatchOutside(const std::vector<std::string>& names,
                                          const std::vector<SourceRows>& rows_of,
                                          const std::vector<int>& outside) {
    std::multimap<int64_t, std::string> free_by_size;
    for (size_t index = 0; index < names.size(); ++index) {
      const std::optional<FileStatus> status = known_.CardStatus(names[index]);
      if (rows_of[index].targets.empty() && status)
        free_by_size.emplace(status->size, names[index]);
    }
    std::map<std::string, int> matched;
    int looked_at = 0;
    for (const int row : outside) {
      if (free_by_size.empty() || progress_.CancelRequested()) break;
      if (++looked_at % kCountEventsEvery == 0) progress_.ProcessEvents();
      const std::string source = SourceOf(row);
      const std::optional<FileStatus> status = files_.Status(source);
      if (!status) continue;
      const auto [first, last] = free_by_size.equal_range(status->size);
      if (first == last) continue;
      const std::optional<ContentRecord> local = known_.Local(source, true);
      for (auto candidate = first; local && candidate != last; ++candidate) {
        const std::optional<ContentRecord> card = known_.Card(candidate->second, true);
        if (!card || card->hash != local->hash) continue;
        matched.emplace(candidate->second, row);
        free_by_size.erase(candidate);
        break;
      }
    }
    return matched;
  }

  void StartBackup(int count) {
    label_.Begin(kBackingUp, count);
    const std::string folder = ChooseBackupFolder(files_, settings_.backup_base);
    // A folder that cannot be made shows up as the first failed copy.
    files_.CreateDirectories(folder);
    backup_folder_ = folder + "/";
    result_.backup_folder = folder;
  }

  // One file of the folder: parked when it is the song of an output target or holds the
  // bytes of one (`taken_by`), deleted otherwise. Rows of a deleted song follow it into
  // the backup; without a backup they list no file, so a later song under the same name
  // is never taken for theirs.
  bool Clear(const std::string& name, const SourceRows& rows, std::optional<int> taken_by) {
    const std::string path = folder_ + name;
    if (!rows.targets.empty()) return Park(name, rows, rows.targets);
    if (taken_by) return Park(name, rows, {*taken_by});
    folder_changed_ = true;
    if (!files_.DeleteFile(path)) {
      Failed(WithLine(kDeleteFailed, path));
      return false;
    }
    known_.CardDeleted(name);
    const std::string kept = backup_folder_.empty() ? std::string() : backup_folder_ + name;
    for (const int row : rows.others) Rename(row, kept);
    return true;
  }

  // Parks the file for the marked rows `takers`. Every row that lists the file names its
  // temporary name, so neither a recount nor the next run takes the parked song for a
  // stranger; a row from outside that takes the file keeps naming its own.
  bool Park(const std::string& name, const SourceRows& rows, const std::vector<int>& takers) {
    const std::string path = folder_ + name;
    const std::string temp =
        MakeTempFileName(files_, temp_names_, folder_, kTempPrefix, kTempExtension);
    if (const FileChange parked = files_.MoveFile(path, temp); !parked) {
      Failed(RenameFailedText(ListedPath(takers.front()), parked));
      return false;
    }
    folder_changed_ = true;
    known_.CardMoved(name, temp.substr(folder_.size()));
    ParkedSong& song = parked_[temp];
    song.listed_path = ListedPath(takers.front());
    for (const int row : takers) parked_rows_[row] = temp;
    song.rows = rows.targets;
    song.rows.insert(song.rows.end(), rows.others.begin(), rows.others.end());
    for (const int row : song.rows) Rename(row, temp);
    return true;
  }

  // The record's FileName and the row's listed path both become `path`.
  void Rename(int row, const std::string& path) {
    if (TTrackInfo* record = RowRecord(rows_, table_, row)) StoreText(record->FileName, path);
    rows_.Row(row).sub_items[kSubFileName] = path;
  }

  // False when the card did not hold what was sent; the mismatch box has been shown.
  bool VerifyCard() {
    const VerifyResult verify = VerifyWrittenFiles(files_, written_.files(), progress_);
    if (verify.cancelled) {
      Ended(OutputRunEnd::kCancelled);
      return false;
    }
    for (const WrittenFile& file : verify.mismatched) {
      result_.mismatched.push_back(file.path);
      // What the run believed of the file is wrong: the next run reads it again.
      known_.CardDeleted(file.path.substr(folder_.size()));
    }
    result_.verified = verify.mismatched.empty();
    if (result_.verified) return true;
    Failed(MismatchText(verify.mismatched, result_.backup_folder));
    return false;
  }

  bool WriteManagement() {
    int written = 0;
    const std::vector<std::string> titles = ManagementTitles();
    const std::optional<std::string> failed = WriteManagementFiles(files_, folder_, titles, [&] {
      progress_.Step();
      if (++written % kManagementEventsEvery == 0) progress_.ProcessEvents();
    });
    folder_changed_ = true;
    written_.Management(folder_, titles);
    if (!failed) {
      LearnManagement(titles);
      return true;
    }
    Failed(WithLine(kManagementFailed, *failed));
    return false;
  }

  void LearnManagement(const std::vector<std::string>& titles) {
    const int count = ManagementFileCount(static_cast<int32_t>(titles.size()));
    for (int number = 0; number < count; ++number) {
      const std::string bytes = ManagementFileBytes(number, titles);
      known_.CardHolds(ManagementFileName(number), {HashBytes(bytes), SampleOfBytes(bytes)});
    }
  }

  std::vector<std::string> ManagementTitles() const {
    return ManagementTitlesOf(rows_, settings_.options);
  }

  // Copies or moves every output target to its numbered name, newest time first.
  bool WriteSongs() {
    progress_.ProcessEvents();
    std::time_t time = environment_.Now();
    int number = 0;
    int row = 0;
    for (; row < rows_.RowCount() && !progress_.CancelRequested(); ++row) {
      if (!IsOutputTarget(rows_.Row(row))) continue;
      const std::string target = SongFileName(number);
      if (PutSong(row, target)) {
        ++result_.written;
        // The phone orders the songs by these times: a song without its time fails the run.
        if (const FileChange stamped = files_.SetLastWriteTime(target, time); !stamped) {
          Failed(WithReason(kSetTimeFailed, target, stamped));
          return false;
        }
      } else if (!files_.DirectoryExists(settings_.folder)) {
        // The card is gone: every further song would fail the same way.
        Ended(OutputRunEnd::kFailed);
        return false;
      }
      ++number;
      time -= kSecondsPerSong;
      progress_.Step();
      label_.Show(result_.written);
      if (result_.written % 2 == 0) progress_.ProcessEvents();
    }
    songs_tried_ = row == rows_.RowCount();
    return true;
  }

  std::string SongFileName(int number) const {
    return NumberedSongPath(folder_, settings_.options, number);
  }

  // A song parked by the cleanup is moved to its name, any other is copied.
  bool PutSong(int row, const std::string& target) {
    if (const auto parked = parked_rows_.find(row); parked != parked_rows_.end()) {
      ParkedSong& song = parked_[parked->second];
      // Only the first marked row of a song moves it; every row of the song follows it.
      // A second marked row fails as a move would.
      FileChange moved = FileChange::Refused(ENOENT);
      if (song.moved_to.empty()) moved = files_.MoveFile(parked->second, target);
      if (moved) {
        song.moved_to = target;
        known_.CardMoved(parked->second.substr(folder_.size()), target.substr(folder_.size()));
        const std::optional<ContentRecord> known =
            known_.Card(target.substr(folder_.size()), false);
        written_.Moved(target, song.listed_path,
                       known ? std::optional<FileSample>(known->sample) : std::nullopt);
        for (const int other : song.rows) Rename(other, target);
        return true;
      }
      // The message names the song as the list showed it before the run.
      progress_.ShowMessage(RenameFailedText(song.listed_path, moved));
      return false;
    }
    const std::string source = SourceOf(row);
    if (const std::optional<ContentHash> sent =
            written_.Copy(files_, source, target, ListedPath(row))) {
      LearnCopy(source, target.substr(folder_.size()), *sent);
      return true;
    }
    progress_.ShowMessage(WithLine(kCopyFailed, ListedPath(row)));
    return false;
  }

  // The card file and its source both hold the bytes just sent; the sample comes from
  // the source, whose pages the copy has just read.
  void LearnCopy(const std::string& source, const std::string& name, const ContentHash& sent) {
    // Without a sample the bytes stay unknown, and are read again when needed.
    if (const std::optional<FileSample> sample = ReadOpened(files_, source, SampleOf)) {
      known_.CardHolds(name, {sent, *sample});
      known_.LocalHolds(source, {sent, *sample});
    }
  }

  const std::string& ListedPath(int row) const { return rows_.Row(row).sub_items[kSubFileName]; }

  const OutputRunSettings& settings_;
  TrackList& rows_;
  TrackTable& table_;
  FileSystem& files_;
  Environment& environment_;
  TempNameCounter& temp_names_;
  OutputProgress& progress_;
  Label label_;
  const std::string folder_;   // with the trailing "/"
  std::string backup_folder_;  // with the trailing "/" once the backup has begun
  // A song the cleanup parked: the path it had, all its rows, and its numbered name
  // once moved.
  struct ParkedSong {
    std::string listed_path;
    std::vector<int> rows;
    std::string moved_to;
  };
  std::map<std::string, ParkedSong> parked_;  // by temporary name
  std::map<int, std::string> parked_rows_;    // the temporary name of each parked target row
  bool folder_changed_ = false;               // a file of the folder was parked, deleted or written
  bool songs_tried_ = false;                  // the copying went through every output target
  OutputRunResult result_;
  WrittenFiles written_;
  KnownContents known_;
};

}  // namespace

OutputRunResult RunOutput(const OutputRunSettings& settings, TrackList& rows, TrackTable& table,
                          Platform& platform, TempNameCounter& temp_names,
                          OutputProgress& progress) {
  return OutputRun(settings, rows, table, platform, temp_names, progress).Run();
}

}  // namespace tarvello
