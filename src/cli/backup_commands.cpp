#include "cli/backup_commands.h"

#include <unistd.h>

#include <clocale>
#include <iostream>
#include <memory>
#include <string>

#include "app/program_paths.h"
#include "app/settings.h"
#include "cli/terminal_progress.h"
#include "cli/text_arguments.h"
#include "common/cp932.h"
#include "common/json_text.h"
#include "output/backup_restore.h"
#include "output/backups.h"
#include "output/drives.h"
#include "output/output_folder_rule.h"
#include "output/output_options.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello::cli {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;

struct BackupArguments {
  std::string root;
  std::string out_dir{kDefaultOutDir};
  std::string backup_dir;
  std::string name;
};

// The folder that holds the backup folders: the one given, else the program's.
std::string BackupLocation(const BackupArguments& arguments, Environment& environment,
                           FileSystem& files) {
  if (!arguments.backup_dir.empty()) return arguments.backup_dir;
  return BackupRoot(MakeProgramPaths(environment, files).BackupFolder);
}

int ListBackupFolders(const BackupArguments& arguments) {
  PosixFileSystem files;
  PosixEnvironment environment;
  const std::vector<BackupFolderInfo> backups =
      ListBackups(files, BackupLocation(arguments, environment, files));
  int64_t bytes = 0;
  for (const BackupFolderInfo& backup : backups) {
    bytes += backup.bytes;
    std::cout << JsonObject()
                     .Text("name", backup.name)
                     .Text("date", backup.date)
                     .Number("songs", backup.songs)
                     .Number("files", backup.files)
                     .Number("bytes", backup.bytes)
                     .Text("path", backup.path)
                     .Close()
              << "\n";
  }
  // Backups hard-link the files they share: the disk holds less than their sizes add up to.
  std::cout << JsonObject()
                   .Number("backups", static_cast<int64_t>(backups.size()))
                   .Number("bytes", bytes)
                   .Number("disk_bytes", BackupsDiskBytes(files, backups))
                   .Close()
            << "\n";
  return 0;
}

const char* EndName(RestoreEnd end) {
  switch (end) {
    case RestoreEnd::kCompleted:
      return "completed";
    case RestoreEnd::kCancelled:
      return "cancelled";
    case RestoreEnd::kFailed:
      break;
  }
  return "failed";
}

int RestoreBackupFolder(const BackupArguments& arguments) {
  PosixFileSystem files;
  PosixEnvironment environment;
  const std::string location = BackupLocation(arguments, environment, files);
  if (!IsBackupFolderName(arguments.name) ||
      !files.DirectoryExists(location + "/" + arguments.name)) {
    std::cerr << "バックアップフォルダがありません.\n" << location << "/" << arguments.name << "\n";
    return kExitRefused;
  }
  if (!files.DirectoryExists(arguments.root)) {
    std::cerr << "出力先のフォルダがありません.\n" << arguments.root << "\n";
    return kExitRefused;
  }
  RestoreSettings settings;
  settings.folder =
      OutputFolderPath(arguments.root, NormalizeOutDir(Utf8ToCp932(arguments.out_dir)));
  settings.backup = location + "/" + arguments.name;
  settings.backup_base = DayBackupFolder(location, environment.Now());
  RestoreResult result;
  {
    TerminalProgress progress(std::cerr, ::isatty(STDERR_FILENO) == 1);
    result = RestoreBackup(settings, files, progress);
  }
  std::vector<std::string> mismatched;
  for (const std::string& path : result.mismatched) mismatched.push_back(JsonString(path));
  std::cout << JsonObject()
                   .Number("restored", result.restored)
                   .Text("folder", settings.folder)
                   .Text("backup_folder", result.backup_folder)
                   .Text("result", EndName(result.end))
                   .Bool("verified", result.verified)
                   .Raw("mismatched", JsonArray(mismatched))
                   .Close()
            << "\n";
  return result.end == RestoreEnd::kCompleted ? 0 : kExitFailed;
}

}  // namespace

void AddBackupCommands(CLI::App& app, int& exit_status) {
  auto arguments = std::make_shared<BackupArguments>();
  CLI::App* list = app.add_subcommand(
      "backups",
      "Lists the backup folders, newest first: one JSON line each with \"name\", \"date\", "
      "\"songs\" and \"bytes\"; a last line gives \"backups\", their \"bytes\" together and "
      "\"disk_bytes\", what they take on the disk with shared files counted once.");
  list->add_option("--backup-dir", arguments->backup_dir,
                   "folder that holds the backup folders (default: the program's)");
  list->callback([arguments, &exit_status] { exit_status = ListBackupFolders(*arguments); });

  CLI::App* restore = app.add_subcommand(
      "restore",
      "Puts backup folder NAME back into the card's output folder, after backing up what the "
      "folder holds now; the card is flushed and read back.");
  restore->add_option("--root", arguments->root, "the card's root folder (native path)")
      ->required();
  restore->add_option("--outdir", arguments->out_dir, "the output folder on the card")
      ->check(Utf8Text())
      ->capture_default_str();
  restore->add_option("--backup-dir", arguments->backup_dir,
                      "folder that holds the backup folders (default: the program's)");
  restore->add_option("NAME", arguments->name, "the backup folder's name (yyyymmdd or yyyymmdd_n)")
      ->required();
  restore->callback([arguments, &exit_status] {
    std::setlocale(LC_ALL, "");
    exit_status = RestoreBackupFolder(*arguments);
  });
}

}  // namespace tarvello::cli
