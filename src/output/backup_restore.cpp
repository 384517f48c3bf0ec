#include "output/backup_restore.h"

#include "output/backup_folder.h"
#include "output/backups.h"
#include "output/card_verify.h"
#include "output/output_messages.h"

namespace tarvello {
namespace {

constexpr const char* kBackingUp = "ファイルのバックアップ中... ";
constexpr const char* kRestoring = "バックアップから戻しています... ";
constexpr const char* kRestoreFailed = "バックアップのファイルを戻せませんでした.";
constexpr int kEventsEvery = 2;

class Restore {
 public:
  Restore(const RestoreSettings& settings, FileSystem& files, OutputProgress& progress)
      : settings_(settings), files_(files), progress_(progress) {}

  RestoreResult Run() {
    const std::vector<DirEntry> present = BackupFiles(files_, settings_.folder);
    const std::vector<DirEntry> restored = BackupFiles(files_, settings_.backup);
    progress_.SetMaximum(static_cast<int>(2 * present.size() + restored.size()) + 1);
    if (!SaveAndClear(present) || !PutBack(restored)) return result_;
    if (!files_.SyncVolume(settings_.folder)) return Failed(WithLine(kFlushFailed, settings_.folder));
    progress_.Step();
    if (settings_.verify && !Verify()) return result_;
    progress_.Beep();
    progress_.ShowMessage(RestoredText(result_.restored));
    result_.end = RestoreEnd::kCompleted;
    return result_;
  }

 private:
  RestoreResult& Failed(const std::string& message) {
    progress_.ShowMessage(message);
    result_.end = RestoreEnd::kFailed;
    return result_;
  }

  bool Cancelled() {
    if (!progress_.CancelRequested()) return false;
    result_.end = RestoreEnd::kCancelled;
    return true;
  }

  void Show(const char* phase, size_t done, size_t total, bool events) {
    progress_.SetLabel(phase + std::to_string(done) + " / " + std::to_string(total));
    if (events) progress_.ProcessEvents();
  }

  // Copies every present file into a new backup folder, and deletes them only once all
  // are copied.
  bool SaveAndClear(const std::vector<DirEntry>& present) {
    if (present.empty()) return files_.DirectoryExists(settings_.folder) || CreateFolder();
    const std::string backup = ChooseBackupFolder(files_, settings_.backup_base);
    files_.CreateDirectories(backup);  // a folder that cannot be made fails the first copy
    result_.backup_folder = backup;
    for (size_t index = 0; index < present.size(); ++index) {
      if (Cancelled()) return false;
      const std::string path = settings_.folder + "/" + present[index].name;
      if (!CopyKeepingTime(files_, path, backup + "/" + present[index].name)) {
        Failed(WithLine(kBackupFailed, path));
        return false;
      }
      progress_.Step();
      Show(kBackingUp, index + 1, present.size(), (index + 1) % kEventsEvery == 0);
    }
    for (const DirEntry& file : present) {
      const std::string path = settings_.folder + "/" + file.name;
      if (!files_.DeleteFile(path)) {
        Failed(WithLine(kDeleteFailed, path));
        return false;
      }
      progress_.Step();
    }
    return true;
  }

  bool CreateFolder() {
    if (files_.CreateDirectories(settings_.folder)) return true;
    Failed(kCreateFolderFailed);
    return false;
  }

  bool PutBack(const std::vector<DirEntry>& restored) {
    Show(kRestoring, 0, restored.size(), true);
    // A backup whose files share their bytes with other backups keeps its times aside.
    const std::map<std::string, std::time_t> times = ReadBackupTimes(files_, settings_.backup);
    for (size_t index = 0; index < restored.size(); ++index) {
      if (Cancelled()) return false;
      const std::string from = settings_.backup + "/" + restored[index].name;
      const std::string to = settings_.folder + "/" + restored[index].name;
      const auto kept = times.find(restored[index].name);
      const std::optional<std::time_t> time =
          kept != times.end() ? kept->second : files_.LastWriteTime(from);
      if (!written_.Copy(files_, from, to, to) || (time && !files_.SetLastWriteTime(to, *time))) {
        Failed(WithLine(kRestoreFailed, from));
        return false;
      }
      ++result_.restored;
      progress_.Step();
      Show(kRestoring, index + 1, restored.size(), (index + 1) % kEventsEvery == 0);
    }
    return true;
  }

  bool Verify() {
    const VerifyResult verify = VerifyWrittenFiles(files_, written_.files(), progress_);
    if (verify.cancelled) {
      result_.end = RestoreEnd::kCancelled;
      return false;
    }
    for (const WrittenFile& file : verify.mismatched) result_.mismatched.push_back(file.path);
    result_.verified = verify.mismatched.empty();
    if (result_.verified) return true;
    Failed(MismatchText(verify.mismatched, result_.backup_folder));
    return false;
  }

  const RestoreSettings& settings_;
  FileSystem& files_;
  OutputProgress& progress_;
  WrittenFiles written_;
  RestoreResult result_;
};

}  // namespace

RestoreResult RestoreBackup(const RestoreSettings& settings, FileSystem& files,
                            OutputProgress& progress) {
  return Restore(settings, files, progress).Run();
}

std::string RestoredText(int restored) {
  return "バックアップから " + std::to_string(restored) + " 個のファイルを戻しました.";
}

}  // namespace tarvello
