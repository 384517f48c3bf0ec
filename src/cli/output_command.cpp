#include "cli/output_command.h"

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_paths.h"
#include "catalogue/track_list.h"
#include "cli/card_folder.h"
#include "cli/folder_volumes.h"
#include "cli/list_adding.h"
#include "cli/output_arguments.h"
#include "cli/run_result_line.h"
#include "cli/song_gathering.h"
#include "cli/terminal_progress.h"
#include "common/common_routine.h"
#include "common/json_text.h"
#include "output/card_verify.h"
#include "output/drives.h"
#include "output/known_contents.h"
#include "output/output_folder_rule.h"
#include "output/output_messages.h"
#include "output/output_run.h"
#include "output/output_start_check.h"
#include "output/output_summary.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sync/list_fit.h"

namespace tarvello::cli {
namespace {

constexpr int kExitSongsFailed = 1;
constexpr int kExitRefused = 2;
constexpr const char* kNothingToOutput = "出力する曲がありません.";
constexpr const char* kNoFolder = "出力先のフォルダがありません.";
constexpr const char* kSourceUnreadable = "曲のファイルを読み込めません.\n";

// Why an output did not start: a short key for scripts and the message for people.
struct Refusal {
  const char* reason;
  std::string message;
  int exit_status;
};

// The steps of one output command, over the real system.
class OutputCommand {
 public:
  OutputCommand(const OutputArguments& arguments, std::ostream& out, std::ostream& err)
      : arguments_(arguments),
        out_(out),
        err_(err),
        rows_(NumberSymbols::FromLocale(), MakeLocaleCollator()) {}

  // Every way out ends with the result line; an error before the run is a refusal, an
  // error inside it a failure.
  int Run() {
    try {
      const std::optional<Refusal> refusal = Prepare();
      if (refusal) return Refuse(*refusal);
      return Output();
    } catch (const std::exception& error) {
      if (!started_) return Refuse({"error", error.what(), kExitSongsFailed});
      Report(error.what(), 0);
      WriteResult(0, "failed", "error", error.what());
      return kExitSongsFailed;
    }
  }

  // Checks the card against what an output of the list would have written; nothing is
  // written.
  int Verify() {
    if (!files_.DirectoryExists(arguments_.root)) {
      Report(std::string(kNoFolder) + "\n" + arguments_.root, 0);
      return kExitRefused;
    }
    if (const auto refusal =
            CardFolderRefusal(arguments_.root, OutputOptionsOf(arguments_).OutDir)) {
      return Report(*refusal, kExitRefused);
    }
    AddSongs();
    OutputTotals ignored;
    rows_.BuildRows(0, table_.TrackCount() - 1, table_, ignored, 0);
    const std::string folder =
        OutputFolderPath(arguments_.root, OutputOptionsOf(arguments_).OutDir);
    std::vector<std::string> unreadable;
    const std::vector<WrittenFile> expected = ExpectedCardFiles(
        files_, folder + "/", rows_, table_, OutputOptionsOf(arguments_), unreadable);
    for (const std::string& source : unreadable) Report(kSourceUnreadable + source, 0);
    VerifyResult result;
    {
      TerminalProgress progress(err_, ::isatty(STDERR_FILENO) == 1);
      result = VerifyWrittenFiles(files_, expected, progress);
    }
    std::vector<std::string> mismatched;
    for (const WrittenFile& file : result.mismatched) mismatched.push_back(file.path);
    if (!result.mismatched.empty()) Report(MismatchText(result.mismatched, ""), 0);
    const bool verified = !result.cancelled && mismatched.empty() && unreadable.empty();
    out_ << JsonObject()
                .Number("checked", static_cast<int64_t>(expected.size()))
                .Text("folder", folder)
                .Bool("verified", verified)
                .Raw("mismatched", PathArray(mismatched))
                .Close()
         << "\n";
    return verified ? 0 : kExitSongsFailed;
  }

 private:
  // Adds the songs and measures the card; the refusal when the output cannot start.
  std::optional<Refusal> Prepare() {
    if (!files_.DirectoryExists(arguments_.root)) {
      return Refusal{"no folder", std::string(kNoFolder) + "\n" + arguments_.root, kExitRefused};
    }
    AddSongs();
    OutputTotals ignored;
    rows_.BuildRows(0, table_.TrackCount() - 1, table_, ignored, 0);
    const std::string out_dir = OutputOptionsOf(arguments_).OutDir;
    const std::string status =
        MeasureDrive(drive_, volumes_, files_, out_dir, NumberSymbols::FromLocale());
    err_ << status << "\n";
    const OutputFolderBlock folder_block = CheckOutputFolder(&drive_, volumes_, out_dir);
    if (folder_block == OutputFolderBlock::kNoMedium) {
      return Refusal{"no medium", status, kExitRefused};
    }
    totals_ = Recount(rows_, table_, files_, drive_.ClusterSize()).totals;
    if (CheckOutputStart(&drive_, totals_, rows_) != OutputStartBlock::kNone) {
      return Refusal{"nothing to output", kNothingToOutput, kExitSongsFailed};
    }
    if (folder_block != OutputFolderBlock::kNone) {
      return Refusal{"folder off the card", OutputFolderRefusalText(folder_block, Folder()),
                     kExitRefused};
    }
    if (!ExecuteAllowed(totals_, &drive_) && !(arguments_.fit && FitToCard())) {
      return Refusal{"does not fit", kNotEnoughRoom, kExitRefused};
    }
    return std::nullopt;
  }

  // Re-encodes the largest songs above the bit rate and leaves out songs from the end, one
  // JSON line for each; true when the rest fits.
  bool FitToCard() {
    const ListFit fit = PlanListFit(rows_, table_, drive_, arguments_.convert.bit_rate_kbps);
    fit_cache_.emplace(arguments_.convert.cache_dir.empty() ? DefaultCacheFolder(environment_)
                                                            : arguments_.convert.cache_dir);
    ListFitResult result;
    {
      TerminalProgress progress(err_, ::isatty(STDERR_FILENO) == 1);
      result = ApplyListFit(fit, rows_, table_, files_, *fit_cache_, {}, progress);
    }
    for (const std::string& failure : result.failures) Report(failure, 0);
    for (int row : result.reencoded_rows) WriteFitLine(row, "re-encoded");
    for (int row : result.unmarked_rows) WriteFitLine(row, "left out");
    if (result.cancelled) return false;
    totals_ = Recount(rows_, table_, files_, drive_.ClusterSize()).totals;
    return ExecuteAllowed(totals_, &drive_);
  }

  void WriteFitLine(int row, const char* action) {
    out_ << JsonObject()
                .Text("song", rows_.Row(row).caption)
                .Text("source", rows_.Row(row).sub_items[kSubFileName])
                .Text("action", action)
                .Close()
         << "\n";
  }

  void AddSongs() {
    refused_ = GatherSongs(arguments_.songs, {!arguments_.no_convert, arguments_.convert}, files_,
                           environment_, adding_, err_);
  }

  int Output() {
    const OutputRunSettings settings{Folder(), OutputOptionsOf(arguments_), BackupBase(),
                                     !arguments_.no_verify, DefaultHashCacheFolder(environment_)};
    OutputRunResult result;
    started_ = true;
    {
      TerminalProgress progress(err_, ::isatty(STDERR_FILENO) == 1);
      result = RunOutput(settings, rows_, table_, platform_, adding_.temp_names, progress);
    }
    totals_.Count = result.targets;
    verified_ = result.verified;
    mismatched_ = result.mismatched;
    if (result.incomplete) Report(kIncompleteFolder, 0);
    WriteResult(result.written, RunEndName(result.end), nullptr, {}, result.backup_folder,
                result.incomplete);
    const bool all_written =
        result.end == OutputRunEnd::kCompleted && result.written == result.targets && refused_ == 0;
    return all_written ? 0 : kExitSongsFailed;
  }

  std::string Folder() const {
    return OutputFolderPath(arguments_.root, OutputOptionsOf(arguments_).OutDir);
  }

  // The last line on standard output; a reason and its message only when the run did not
  // complete its course.
  void WriteResult(int written, const char* result, const char* reason, const std::string& message,
                   const std::string& backup_folder = {}, bool incomplete = false) {
    RunResultLine fields;
    fields.written = written;
    fields.targets = totals_.Count;
    fields.folder = Folder();
    fields.backup_folder = backup_folder;
    fields.result = result;
    fields.reason = reason != nullptr ? reason : "";
    fields.message = message;
    fields.incomplete = incomplete;
    if (!arguments_.no_verify) fields.verified = verified_;
    fields.mismatched = mismatched_;
    JsonObject line;
    PutRunResult(line, fields);
    out_ << line.Close() << "\n";
  }

  std::string BackupBase() {
    if (!arguments_.backup_dir.empty()) {
      return DayBackupFolder(arguments_.backup_dir, environment_.Now());
    }
    return MakeProgramPaths(environment_, files_).BackupFolder;
  }

  int Report(const std::string& text, int exit_status) {
    err_ << TerminalText(text) << "\n";
    return exit_status;
  }
  int Refuse(const Refusal& refusal) {
    // The medium's status line is out already.
    if (std::string_view(refusal.reason) != "no medium") Report(refusal.message, 0);
    WriteResult(0, "refused", refusal.reason, refusal.message);
    return refusal.exit_status;
  }

  const OutputArguments& arguments_;
  std::ostream& out_;
  std::ostream& err_;
  FolderVolumes volumes_;
  PosixFileSystem files_;
  PosixEnvironment environment_;
  Platform platform_{volumes_, files_, environment_};
  ListAdding adding_;
  TrackTable& table_ = adding_.table;
  TrackList rows_;
  TDriveInfo drive_{arguments_.root, arguments_.root};
  OutputTotals totals_;
  int refused_ = 0;
  std::optional<ConvertCache> fit_cache_;  // holds the re-encoded songs pinned for the run
  bool started_ = false;                   // the run has begun to change the card
  bool verified_ = false;                  // read back, and the card held everything sent
  std::vector<std::string> mismatched_;    // card files that differed or could not be read
};

}  // namespace

void AddOutputCommand(CLI::App& app, int& exit_status) {
  auto arguments = std::make_shared<OutputArguments>();
  CLI::App* command = app.add_subcommand(
      "output",
      "Adds the songs in the given order, as the window's add command does (a folder adds its "
      "music files in natural order; files the window would refuse are converted first), and "
      "outputs them onto the folder ROOT + OUTDIR: backup, cleanup, management files, numbered "
      "songs. The last line on standard output is a JSON object with \"written\", \"targets\", "
      "\"result\", \"verified\" (left out with --no-verify) and \"mismatched\"; an output that "
      "does not start gives "
      "\"result\":\"refused\" and a \"reason\".");
  AddNameOptions(command, *arguments);
  CLI::Option* backup_dir = AddBackupDirOption(command, arguments->backup_dir);
  command->add_flag("--no-backup", arguments->no_backup, "replace the folder's files unsaved")
      ->excludes(backup_dir);
  AddNoVerifyFlag(command, arguments->no_verify);
  command->add_flag("--fit", arguments->fit,
                    "when the songs do not fit, re-encode the largest songs above the bit rate "
                    "(--bitrate) at it, then leave out songs from the end, instead of refusing");
  command->add_flag("--no-convert", arguments->no_convert,
                    "add only songs the window accepts as they are; convert nothing");
  AddConvertOptions(*command, arguments->convert);
  command->add_option("SONG", arguments->songs, "song files or folders (native paths)")->required();
  command->callback([arguments, &exit_status] {
    // System messages in the user's language.
    std::setlocale(LC_ALL, "");
    exit_status = OutputCommand(*arguments, std::cout, std::cerr).Run();
  });
}

void AddVerifyCommand(CLI::App& app, int& exit_status) {
  auto arguments = std::make_shared<OutputArguments>();
  CLI::App* command = app.add_subcommand(
      "verify",
      "Reads the card's output folder back and compares it with what an output of the given "
      "songs, in this order, would have written: the numbered songs and the management "
      "files. Nothing is written. The last line is a JSON object with \"verified\" and "
      "\"mismatched\"; a mismatch gives exit status 1.");
  AddNameOptions(command, *arguments);
  command->add_option("SONG", arguments->songs, "song files (native paths)")->required();
  command->callback([arguments, &exit_status] {
    std::setlocale(LC_ALL, "");
    exit_status = OutputCommand(*arguments, std::cout, std::cerr).Verify();
  });
}

}  // namespace tarvello::cli
