#include "output/output_run.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "common/cp932.h"
#include "output/backup_folder.h"
#include "output/card_names.h"
#include "output/card_verify.h"
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

std::string WithLine(const char* message, const std::string& text) {
  return std::string(message) + "\r\n" + text;
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
        folder_(FolderWithSlash(settings.folder)) {}

  OutputRunResult Run() {
    result_.targets = CountTargets();
    progress_.SetMaximum(result_.targets / kManagementEntriesPerFile + result_.targets + 1);
    progress_.SetLabel(kPreparing);
    const bool ready = files_.DirectoryExists(settings_.folder) ? CleanFolder() : CreateFolder();
    if (!ready) return result_;
    if (progress_.CancelRequested()) return Ended(OutputRunEnd::kCancelled);
    label_.Begin(kWriting, result_.targets);
    if (!WriteManagement()) return result_;
    if (!WriteSongs()) return result_;
    if (!files_.SyncVolume(settings_.folder)) {
      return Failed(WithLine(kFlushFailed, settings_.folder));
    }
    if (progress_.CancelRequested()) return Ended(OutputRunEnd::kCancelled);
    if (settings_.verify && !VerifyCard()) return result_;
    progress_.Beep();
    progress_.ShowMessage(CompletionText(result_.written));
    return Ended(OutputRunEnd::kCompleted);
  }

 private:
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
    const bool backup = settings_.options.BackupBeforeOutput;
    if (backup) progress_.SetMaximum(progress_.Maximum() + static_cast<int>(names.size()));
    if (backup && !names.empty()) StartBackup(static_cast<int>(names.size()));
    OutputSourceIndex sources(rows_, table_, files_);
    int backed_up = 0;
    int visited = 0;
    for (const std::string& name : names) {
      if (progress_.CancelRequested()) break;
      const std::string path = folder_ + name;
      if (backup) {
        if (!CopyKeepingTime(files_, path, backup_folder_ + name)) {
          Failed(WithLine(kBackupFailed, path));
          return false;
        }
        progress_.Step();
        label_.Show(++backed_up);
      }
      if (!Clear(name, sources)) return false;
      ++visited;
      if (backed_up > 0 ? backed_up % 2 == 0 : visited % kCleanEventsEvery == 0) {
        progress_.ProcessEvents();
      }
    }
    return true;
  }

  void StartBackup(int count) {
    label_.Begin(kBackingUp, count);
    const std::string folder = ChooseBackupFolder(files_, settings_.backup_base);
    // A folder that cannot be made shows up as the first failed copy.
    files_.CreateDirectories(folder);
    backup_folder_ = folder + "/";
    result_.backup_folder = folder;
  }

  // One file of the folder: parked when it is the song of an output target, deleted
  // otherwise. Rows of a deleted song follow it into the backup; without a backup they
  // list no file, so a later song under the same name is never taken for theirs.
  bool Clear(const std::string& name, OutputSourceIndex& sources) {
    const std::string path = folder_ + name;
    const SourceRows rows = sources.TakeRowsOf(path);
    if (!rows.targets.empty()) return Park(path, rows);
    folder_changed_ = true;
    if (!files_.DeleteFile(path)) {
      Failed(WithLine(kDeleteFailed, path));
      return false;
    }
    const std::string kept = backup_folder_.empty() ? std::string() : backup_folder_ + name;
    for (const int row : rows.others) Rename(row, kept);
    return true;
  }

  // Every row of the song names its temporary name, so neither a recount nor the next
  // run takes the parked song for a stranger.
  bool Park(const std::string& path, const SourceRows& rows) {
    const std::string temp =
        MakeTempFileName(files_, temp_names_, folder_, kTempPrefix, kTempExtension);
    if (!files_.MoveFile(path, temp)) {
      Failed(WithLine(kRenameFailed, ListedPath(rows.targets.front())));
      return false;
    }
    folder_changed_ = true;
    ParkedSong& song = parked_[temp];
    song.listed_path = ListedPath(rows.targets.front());
    for (const int row : rows.targets) parked_rows_[row] = temp;
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
    for (const WrittenFile& file : verify.mismatched) result_.mismatched.push_back(file.path);
    result_.verified = verify.mismatched.empty();
    if (result_.verified) return true;
    Failed(MismatchText(verify.mismatched, result_.backup_folder));
    return false;
  }

  bool WriteManagement() {
    int written = 0;
    const std::vector<std::string> titles = ManagementTitles();
    const std::optional<std::string> failed =
        WriteManagementFiles(files_, folder_, titles, [&] {
          progress_.Step();
          if (++written % kManagementEventsEvery == 0) progress_.ProcessEvents();
        });
    folder_changed_ = true;
    written_.Management(folder_, titles);
    if (!failed) return true;
    Failed(WithLine(kManagementFailed, *failed));
    return false;
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
        if (!files_.SetLastWriteTime(target, time)) {
          Failed(WithLine(kSetTimeFailed, target));
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
      if (song.moved_to.empty() && files_.MoveFile(parked->second, target)) {
        song.moved_to = target;
        written_.Moved(target, song.listed_path);
        for (const int other : song.rows) Rename(other, target);
        return true;
      }
      // The message names the song as the list showed it before the run.
      progress_.ShowMessage(WithLine(kRenameFailed, song.listed_path));
      return false;
    }
    const TTrackInfo* record = RowRecord(rows_, table_, row);
    const std::string source = record != nullptr ? std::string(FieldText(record->FileName)) : "";
    if (written_.Copy(files_, source, target, ListedPath(row))) return true;
    progress_.ShowMessage(WithLine(kCopyFailed, ListedPath(row)));
    return false;
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
};

}  // namespace

OutputRunResult RunOutput(const OutputRunSettings& settings, TrackList& rows, TrackTable& table,
                          Platform& platform, TempNameCounter& temp_names,
                          OutputProgress& progress) {
  return OutputRun(settings, rows, table, platform, temp_names, progress).Run();
}

}  // namespace tarvello
