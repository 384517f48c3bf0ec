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
#include "app/settings.h"
#include "catalogue/track_list.h"
#include "cli/terminal_progress.h"
#include "cli/text_arguments.h"
#include "common/common_routine.h"
#include "common/cp932.h"
#include "common/json_text.h"
#include "common/utf8.h"
#include "output/card_verify.h"
#include "output/drives.h"
#include "output/known_contents.h"
#include "output/output_folder_rule.h"
#include "output/output_messages.h"
#include "output/output_run.h"
#include "output/output_summary.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_volumes.h"
#include "cli/convert_command.h"
#include "convert/convert_in_order.h"
#include "sources/add_files.h"
#include "sources/folder_walk.h"
#include "sources/track_list_file.h"

namespace tarvello::cli {
namespace {

constexpr int kExitSongsFailed = 1;
constexpr int kExitRefused = 2;
constexpr const char* kNothingToOutput = "出力する曲がありません.";
constexpr const char* kNoFolder = "出力先のフォルダがありません.";
constexpr const char* kSourceUnreadable = "曲のファイルを読み込めません.\n";

struct OutputArguments {
  std::string root;
  std::string out_dir = "\\PRIVATE\\AU\\DF\\D_SD";
  std::string prefix = "SDS";
  std::string ext = "3G2";
  int title_format = 0;
  int separator = 0;
  std::string backup_dir;
  bool no_backup = false;
  bool no_verify = false;
  bool no_convert = false;
  ConvertOptions convert;
  std::vector<std::string> songs;
};

constexpr size_t kNamePartBytes = 3;

// At most three bytes in CP932, as the card's names keep them, that keep the names inside
// the folder; upper case as the options dialog types them.
const CLI::Validator& NamePart() {
  static const CLI::Validator validator(
      [](std::string& value) -> std::string {
        if (!IsWellFormedUtf8(value)) return "the text is not valid UTF-8";
        if (value.find('/') != std::string::npos) return "a name part must not hold \"/\"";
        if (Utf8ToCp932(value).size() > kNamePartBytes) {
          return "at most 3 bytes in CP932 (a full-width character takes 2)";
        }
        for (char& c : value) {
          if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return {};
      },
      "TEXT(max 3 CP932 bytes)", "name part");
  return validator;
}

// An output folder that stays on the card: no "." or ".." parts.
const CLI::Validator& OutDirText() {
  static const CLI::Validator validator(
      [](const std::string& value) -> std::string {
        if (OutDirHasDotParts(NormalizeOutDir(Utf8ToCp932(value)))) {
          return "the output folder must not have \".\" or \"..\" parts";
        }
        return {};
      },
      "", "output folder");
  return validator;
}

// The CLI's card is any folder: it is measured by the volume that holds it, and a
// folder that a card has left behind has no medium.
class FolderVolumes : public Volumes {
 public:
  std::vector<VolumeEntry> List() override { return volumes_.List(); }
  std::optional<VolumeSpace> Measure(const std::string& root) override {
    return volumes_.MeasureFolder(root);
  }
  bool HoldsFolder(const std::string& root, const std::string& folder) override {
    return volumes_.HoldsFolder(root, folder);
  }

 private:
  PosixVolumes volumes_;
};

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
    AddSongs();
    OutputTotals ignored;
    rows_.BuildRows(0, table_.TrackCount() - 1, table_, ignored, 0);
    const std::string folder = OutputFolderPath(arguments_.root, Options().OutDir);
    std::vector<std::string> unreadable;
    const std::vector<WrittenFile> expected =
        ExpectedCardFiles(files_, folder + "/", rows_, table_, Options(), unreadable);
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
    const std::string status =
        MeasureDrive(drive_, volumes_, files_, Options().OutDir, NumberSymbols::FromLocale());
    err_ << status << "\n";
    if (!drive_.HasMedium) return Refusal{"no medium", status, kExitRefused};
    totals_ = Recount(rows_, table_, files_, drive_.ClusterSize()).totals;
    if (totals_.Count == 0) return Refusal{"nothing to output", kNothingToOutput, kExitSongsFailed};
    const std::string off_card = OutputFolderRefusal(volumes_, drive_.Root, Options().OutDir);
    if (!off_card.empty()) return Refusal{"folder off the card", off_card, kExitRefused};
    if (!ExecuteAllowed(totals_, &drive_)) {
      return Refusal{"does not fit", kNotEnoughRoom, kExitRefused};
    }
    return std::nullopt;
  }

  TOutputOptions Options() const {
    TOutputOptions options;
    options.OutDir = NormalizeOutDir(Utf8ToCp932(arguments_.out_dir));
    options.Prefix = Utf8ToCp932(arguments_.prefix);
    options.Ext = Utf8ToCp932(arguments_.ext);
    options.TitleFormat = static_cast<uint8_t>(arguments_.title_format);
    options.Separator = static_cast<uint8_t>(arguments_.separator);
    options.BackupBeforeOutput = !arguments_.no_backup;
    return options;
  }

  void AddSongs() {
    AddContext context{files_,
                       temp_names_,
                       GetTempFolder(environment_),
                       table_,
                       staging_,
                       [this](const std::string& path) { return ReadTrackListFile(path); },
                       [this](const std::string& text) {
                         ++refused_;
                         Report(text, 0);
                       }};
    std::vector<std::string> paths = SongPaths();
    if (arguments_.no_convert) {
      for (const std::string& path : paths) {
        if (AddSongPath(context, path) == AddOutcome::kStop) break;
      }
      return;
    }
    // Songs past the limit are not converted for nothing; one more still brings its message.
    if (paths.size() > static_cast<size_t>(kMaxTracks) + 1) paths.resize(kMaxTracks + 1);
    ConvertCache cache(arguments_.convert.cache_dir.empty() ? DefaultCacheFolder(environment_)
                                                            : arguments_.convert.cache_dir);
    bool stopped = false;
    ConvertInOrder(files_, cache, ConvertSettings{true, arguments_.convert.bit_rate_kbps}, paths,
                   [&](size_t index, const ConvertResult& result) {
                     if (stopped) return;
                     // A refused file goes the old way: it may be a track list, and its
                     // message names it.
                     if (!result.Ready()) {
                       err_ << paths[index] << ": " << result.reason << "\n";
                     }
                     const std::string& song = result.Ready() ? result.song_path : paths[index];
                     stopped = AddSongPath(context, song) == AddOutcome::kStop;
                   });
  }

  // The given paths with each folder replaced by its songs in natural order.
  std::vector<std::string> SongPaths() {
    std::vector<std::string> paths;
    const auto natural = MakeNaturalCollator();
    for (const std::string& song : arguments_.songs) {
      if (!files_.DirectoryExists(song)) {
        paths.push_back(song);
        continue;
      }
      FolderWalkResult folder = WalkMusicFolder(song, *natural);
      paths.insert(paths.end(), folder.songs.begin(), folder.songs.end());
      if (folder.passed_over > 0) {
        err_ << song << ": " << folder.passed_over << " files that are not music passed over\n";
      }
      for (const std::string& unreadable : folder.unreadable) {
        err_ << unreadable << ": the folder cannot be read\n";
      }
    }
    return paths;
  }

  // An XML or RMP track list given as a song adds the songs it lists.
  bool ReadTrackListFile(const std::string& path) {
    const TrackListResult result = ReadTrackList(files_, path, table_, staging_, track_id_list_);
    for (const std::string& message : result.messages) Report(message, 0);
    return result.accepted;
  }

  int Output() {
    const OutputRunSettings settings{Folder(), Options(), BackupBase(), !arguments_.no_verify,
                                     DefaultHashCacheFolder(environment_)};
    OutputRunResult result;
    started_ = true;
    {
      TerminalProgress progress(err_, ::isatty(STDERR_FILENO) == 1);
      result = RunOutput(settings, rows_, table_, platform_, temp_names_, progress);
    }
    totals_.Count = result.targets;
    verified_ = result.verified;
    mismatched_ = result.mismatched;
    if (result.incomplete) Report(kIncompleteFolder, 0);
    WriteResult(result.written, ResultName(result.end), nullptr, {}, result.backup_folder,
                result.incomplete);
    const bool all_written =
        result.end == OutputRunEnd::kCompleted && result.written == result.targets && refused_ == 0;
    return all_written ? 0 : kExitSongsFailed;
  }

  static std::string PathArray(const std::vector<std::string>& paths) {
    std::vector<std::string> quoted;
    for (const std::string& path : paths) quoted.push_back(JsonString(path));
    return JsonArray(quoted);
  }

  std::string Folder() const { return OutputFolderPath(arguments_.root, Options().OutDir); }

  // The last line on standard output; a reason and its message only when the run did not
  // complete its course.
  void WriteResult(int written, const char* result, const char* reason, const std::string& message,
                   const std::string& backup_folder = {}, bool incomplete = false) {
    JsonObject line;
    line.Number("written", written)
        .Number("targets", totals_.Count)
        .Text("folder", Folder())
        .Text("backup_folder", backup_folder)
        .Text("result", result);
    if (reason != nullptr) line.Text("reason", reason).Text("message", TerminalText(message));
    if (incomplete) line.Bool("incomplete", true);
    line.Bool("verified", verified_).Raw("mismatched", PathArray(mismatched_));
    out_ << line.Close() << "\n";
  }

  std::string BackupBase() {
    if (!arguments_.backup_dir.empty()) {
      return DayBackupFolder(arguments_.backup_dir, environment_.Now());
    }
    return MakeProgramPaths(environment_, files_).BackupFolder;
  }

  static const char* ResultName(OutputRunEnd end) {
    switch (end) {
      case OutputRunEnd::kCompleted:
        return "completed";
      case OutputRunEnd::kCancelled:
        return "cancelled";
      case OutputRunEnd::kFailed:
        return "failed";
    }
    return "failed";
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
  TrackTable table_;
  TTrackInfo staging_{};
  std::vector<std::string> track_id_list_;
  TrackList rows_;
  TempNameCounter temp_names_;
  TDriveInfo drive_{arguments_.root, arguments_.root};
  OutputTotals totals_;
  int refused_ = 0;
  bool started_ = false;  // the run has begun to change the card
  bool verified_ = false;               // read back, and the card held everything sent
  std::vector<std::string> mismatched_;  // card files that differed or could not be read
};

}  // namespace

// The options that decide the card's names and texts, shared by output and verify.
void AddNameOptions(CLI::App* command, OutputArguments& arguments) {
  command->add_option("--root", arguments.root, "the card's root folder (native path)")
      ->required();
  command
      ->add_option("--outdir", arguments.out_dir,
                   "the output folder on the card, without \".\" or \"..\" parts")
      ->check(Utf8Text())
      ->check(OutDirText())
      ->capture_default_str();
  command->add_option("--prefix", arguments.prefix, "prefix of the song names")
      ->transform(NamePart())
      ->capture_default_str();
  command->add_option("--ext", arguments.ext, "extension of the song names")
      ->transform(NamePart())
      ->capture_default_str();
  command
      ->add_option("--title-format", arguments.title_format,
                   "0 title, 1 title + separator + artist, 2 artist + separator + title")
      ->check(CLI::Range(0, 2))
      ->capture_default_str();
  command->add_option("--separator", arguments.separator, "separator index 0 to 7")
      ->check(CLI::Range(0, 7))
      ->capture_default_str();
}

void AddOutputCommand(CLI::App& app, int& exit_status) {
  auto arguments = std::make_shared<OutputArguments>();
  CLI::App* command = app.add_subcommand(
      "output",
      "Adds the songs in the given order, as the window's add command does (a folder adds its "
      "music files in natural order; files the window would refuse are converted first), and "
      "outputs them onto the folder ROOT + OUTDIR: backup, cleanup, management files, numbered "
      "songs. The last line on standard output is a JSON object with \"written\", \"targets\", "
      "\"result\", \"verified\" and \"mismatched\"; an output that does not start gives "
      "\"result\":\"refused\" and a \"reason\".");
  AddNameOptions(command, *arguments);
  CLI::Option* backup_dir =
      command->add_option("--backup-dir", arguments->backup_dir,
                          "folder that receives the day's backup folder (default: the program's)");
  command->add_flag("--no-backup", arguments->no_backup, "replace the folder's files unsaved")
      ->excludes(backup_dir);
  command->add_flag("--no-verify", arguments->no_verify,
                    "do not read the written files back from the card to compare them");
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
