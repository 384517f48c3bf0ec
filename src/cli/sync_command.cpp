#include "cli/sync_command.h"

#include <unistd.h>

#include <clocale>
#include <iostream>
#include <memory>
#include <string>

#include "app/program_paths.h"
#include "cli/convert_command.h"
#include "cli/folder_volumes.h"
#include "cli/output_arguments.h"
#include "cli/run_result_line.h"
#include "cli/terminal_progress.h"
#include "common/common_routine.h"
#include "common/json_text.h"
#include "output/known_contents.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"

namespace tarvello::cli {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;
constexpr const char* kConfirmWithYes = "\r\n続けるには --yes を付けて実行してください.";

struct SyncArguments {
  std::string root;
  bool dry_run = false;
  bool yes = false;
  bool no_verify = false;
  std::string backup_dir;
  ConvertOptions convert;
};

const char* ActionOf(const PlannedSong& song) {
  if (song.left_out) return "left out";
  if (song.reencode) return "re-encoded";
  return song.on_card ? "kept" : "added";
}

// The steps of one sync over the real system.
class SyncCommand {
 public:
  explicit SyncCommand(const SyncArguments& arguments)
      : arguments_(arguments),
        cache_(arguments.convert.cache_dir.empty() ? DefaultCacheFolder(environment_)
                                                   : arguments.convert.cache_dir) {
    context_.hash_cache_folder = DefaultHashCacheFolder(environment_);
    context_.players = PlayerFoldersOf(environment_);
    context_.temp_folder = GetTempFolder(environment_);
  }

  int Run() {
    if (!files_.DirectoryExists(arguments_.root)) {
      return Refuse(
          {SyncRefusalKind::kNoMedium, "出力先のフォルダがありません.\n" + arguments_.root});
    }
    const std::optional<std::string> volume = CardIdentity(files_, arguments_.root);
    if (!volume) return Refuse({SyncRefusalKind::kNoIdentity, kNoCardIdentity});
    const std::optional<CardProfile> profile = LoadCardProfile(
        files_, WindowExtraSettingsFile(environment_, files_), *volume);
    if (!profile) {
      return Refuse({SyncRefusalKind::kNoProfile,
                     "このカードの内容は記憶されていません. tarvello-cli card set で曲の入手元を"
                     "指定してください."});
    }
    WarnOfAnUnrestrictedHelper(std::cerr);
    SyncPlan plan;
    {
      TerminalProgress progress(std::cerr, Interactive());
      plan = MakeSyncPlan(*profile, arguments_.root, context_, progress);
    }
    for (const std::string& note : plan.notes) std::cerr << TerminalText(note) << "\n";
    if (plan.Refused()) return Refuse(plan.refusal, plan.folder);
    WritePlan(plan);
    if (arguments_.dry_run) return 0;
    if (plan.NeedsConfirmation() && !arguments_.yes) {
      return Refuse({SyncRefusalKind::kNotConfirmed, MassRemovalQuestion(plan) + kConfirmWithYes},
                    plan.folder);
    }
    return Update(plan);
  }

 private:
  bool Interactive() const { return ::isatty(STDERR_FILENO) == 1; }

  void WritePlan(const SyncPlan& plan) {
    for (const PlannedSong& song : plan.songs) {
      std::cout << JsonObject()
                       .Text("song", song.title)
                       .Text("source", song.source)
                       .Text("action", ActionOf(song))
                       .Number("bytes", song.bytes)
                       .Close()
                << "\n";
    }
    for (const std::string& line : LeftOutLines(plan)) std::cerr << line << "\n";
    JsonObject line;
    line.Number("added", plan.added)
        .Number("removed", plan.removed)
        .Number("kept", plan.kept)
        .Number("reencoded", plan.reencoded)
        .Number("left_out", plan.left_out)
        .Number("bytes", plan.bytes_to_write)
        .Number("card_songs", plan.card_songs);
    if (arguments_.dry_run) line.Text("result", "planned");
    std::cout << line.Close() << "\n";
  }

  int Update(SyncPlan& plan) {
    SyncRunSettings settings;
    settings.backup_base = arguments_.backup_dir.empty()
                               ? MakeProgramPaths(environment_, files_).BackupFolder
                               : DayBackupFolder(arguments_.backup_dir, environment_.Now());
    settings.verify = !arguments_.no_verify;
    settings.confirmed = arguments_.yes;
    SyncResult result;
    {
      TerminalProgress progress(std::cerr, Interactive());
      result = RunSync(plan, settings, context_, progress);
    }
    for (const std::string& failure : result.failures) std::cerr << failure << "\n";
    if (result.refusal.kind != SyncRefusalKind::kNone) return Refuse(result.refusal, plan.folder);
    const OutputRunResult& output = result.output;
    RunResultLine fields;
    fields.written = output.written;
    fields.targets = output.targets;
    fields.folder = plan.folder;
    fields.backup_folder = output.backup_folder;
    fields.result = RunEndName(output.end);
    fields.incomplete = output.incomplete;
    if (settings.verify) fields.verified = output.verified;
    fields.mismatched = output.mismatched;
    JsonObject line;
    PutRunResult(line, fields);
    line.Number("reencoded", result.reencoded)
        .Number("left_out", static_cast<int64_t>(result.left_out.size()));
    std::cout << line.Close() << "\n";
    const bool all_written =
        output.end == OutputRunEnd::kCompleted && output.written == output.targets;
    return all_written ? 0 : kExitFailed;
  }

  int Refuse(const SyncRefusal& refusal, const std::string& folder = {}) {
    if (!refusal.message.empty()) std::cerr << TerminalText(refusal.message) << "\n";
    RunResultLine fields;
    fields.folder = folder;
    fields.result = refusal.kind == SyncRefusalKind::kCancelled ? "cancelled" : "refused";
    fields.reason = SyncRefusalReason(refusal.kind);
    fields.message = refusal.message;
    JsonObject line;
    PutRunResult(line, fields);
    std::cout << line.Close() << "\n";
    const bool card_unusable = refusal.kind == SyncRefusalKind::kNoMedium ||
                               refusal.kind == SyncRefusalKind::kFolderOffCard;
    return card_unusable ? kExitRefused : kExitFailed;
  }

  const SyncArguments& arguments_;
  FolderVolumes volumes_;
  PosixFileSystem files_;
  PosixEnvironment environment_;
  Platform platform_{volumes_, files_, environment_};
  ConvertCache cache_;
  SyncContext context_{platform_, cache_};
};

}  // namespace

void AddSyncCommand(CLI::App& app, int& exit_status) {
  auto arguments = std::make_shared<SyncArguments>();
  CLI::App* command = app.add_subcommand(
      "sync",
      "Brings the card in step with the sources it remembers (see card set): gathers their "
      "songs, converts, fits them to the card and runs the output. Prints one JSON line per "
      "song (\"action\": added, kept, re-encoded or left out), a line with the counts and "
      "\"bytes\" to write, and after the run the output's result line. An update that would "
      "remove more than half of the card's songs needs --yes.");
  command->add_option("--root", arguments->root, "the card's root folder (native path)")
      ->required();
  command->add_flag("--dry-run", arguments->dry_run, "print the plan; change nothing");
  command->add_flag("--yes", arguments->yes,
                    "run even when the update removes more than half of the card's songs");
  AddBackupDirOption(command, arguments->backup_dir);
  AddNoVerifyFlag(command, arguments->no_verify);
  AddCacheDirOption(*command, arguments->convert);
  command->callback([arguments, &exit_status] {
    std::setlocale(LC_ALL, "");
    exit_status = SyncCommand(*arguments).Run();
  });
}

}  // namespace tarvello::cli
