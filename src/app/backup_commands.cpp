#include "app/backup_commands.h"

#include <exception>

#include "common/cp932.h"
#include "common/number_format.h"
#include "output/backup_restore.h"
#include "output/backups.h"
#include "output/drives.h"
#include "output/output_folder_rule.h"

namespace tarvello {
namespace {

constexpr const char* kNoCard = "出力先のドライブを選択してください.";
constexpr const char* kDoesNotFit =
    "このバックアップは出力先の空き領域に入りません.\r\n出力先のドライブを確認してください.";

std::string ConfirmRestoreText(const std::string& name, const std::string& folder) {
  return "バックアップ " + name + " を出力先フォルダへ戻します.\r\n" + folder +
         "\r\n\r\n出力先フォルダ内のファイルは先にバックアップしてから置き換えられます.\r\n\r\n"
         "戻しますか？";
}

std::string ConfirmDeleteText(const std::string& name) {
  return "バックアップ " + name +
         " を削除します.\r\n削除したバックアップは戻せません.\r\n\r\n"
         "削除しますか？";
}

}  // namespace

std::string BackupCommands::Location() const {
  return BackupRoot(state_.BackupFolder);
}

BackupDialogRequest BackupCommands::Request(const TDriveInfo* drive) const {
  BackupDialogRequest request;
  request.location = Location();
  const bool card = drive != nullptr && drive->HasMedium;
  const std::vector<BackupFolderInfo> backups = ListBackups(platform_.files, request.location);
  request.disk_size = FormatFileSize(BackupsDiskBytes(platform_.files, backups), state_.symbols);
  for (const BackupFolderInfo& backup : backups) {
    BackupRow row{backup.name, backup.date, backup.songs,
                  FormatFileSize(backup.bytes, state_.symbols), false};
    if (card) {
      row.fits = BackupSpace(platform_.files, backup.path, drive->ClusterSize()) <=
                 drive->FreeBytes + drive->OutputFolderBytes;
    }
    request.rows.push_back(std::move(row));
  }
  return request;
}

bool BackupCommands::ShowBackups(const TDriveInfo* drive) {
  for (;;) {
    const BackupDialogRequest request = Request(drive);
    const std::optional<BackupChoice> choice = view_.ShowBackupDialog(request);
    if (!choice || choice->row < 0 || choice->row >= static_cast<int>(request.rows.size())) {
      return false;
    }
    const BackupRow& row = request.rows[static_cast<size_t>(choice->row)];
    if (choice->action == BackupChoice::Action::kDelete) {
      if (view_.Confirm(ConfirmDeleteText(row.name))) Delete(row.name);
      continue;
    }
    const std::string& out_dir = state_.settings.options.OutDir;
    const OutputFolderBlock block = CheckOutputFolder(drive, platform_.volumes, out_dir);
    if (block == OutputFolderBlock::kNoDrive || block == OutputFolderBlock::kNoMedium) {
      view_.ShowInformation(kNoCard);
      continue;
    }
    const std::string folder = OutputFolderPath(drive->Root, out_dir);
    if (block != OutputFolderBlock::kNone) {
      view_.ShowInformation(OutputFolderRefusalText(block, folder));
      continue;
    }
    if (!row.fits) {
      view_.ShowInformation(kDoesNotFit);
      continue;
    }
    if (!view_.Confirm(ConfirmRestoreText(row.name, folder))) continue;
    return Restore(*drive, row.name);
  }
}

void BackupCommands::Delete(const std::string& name) {
  const std::string path = Location() + "/" + name;
  if (!DeleteBackup(platform_.files, path)) {
    view_.ShowInformation("バックアップを削除できませんでした.\r\n" + path);
  }
}

bool BackupCommands::Restore(const TDriveInfo& drive, const std::string& name) {
  RestoreSettings settings;
  settings.folder = OutputFolderPath(drive.Root, state_.settings.options.OutDir);
  settings.backup = Location() + "/" + name;
  settings.backup_base = state_.BackupFolder;
  settings.verify = options_.verify();
  // An error inside the dialog's event handler must not cross the event loop.
  std::exception_ptr error;
  view_.RunWithProgress([&](OutputProgress& progress) {
    try {
      RestoreBackup(settings, platform_.files, progress);
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error) std::rethrow_exception(error);
  return true;
}

void BackupCommands::KeepNewest() {
  for (const std::string& path :
       KeepNewestBackups(platform_.files, Location(), options_.backups_to_keep())) {
    view_.ShowInformation("バックアップを削除できませんでした.\r\n" + path);
  }
}

}  // namespace tarvello
