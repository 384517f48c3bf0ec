#include "cli/card_command.h"

#include <clocale>
#include <iostream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/program_paths.h"
#include "cli/card_source_argument.h"
#include "cli/output_arguments.h"
#include "cli/terminal_progress.h"
#include "common/extra_settings.h"
#include "common/json_text.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sync/card_profile.h"

namespace tarvello::cli {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;
constexpr const char* kNoProfile = "このカードの内容は記憶されていません.";
constexpr const char* kNotSaved = "設定ファイルに書き込めません.";

struct CardArguments {
  OutputArguments output;
  bool no_backup = false;
  bool auto_update = false;
  std::vector<std::string> sources;
};

std::string SourceJson(const CardSource& source) {
  JsonObject object;
  object.Text("kind", CardSourceKindName(source.kind));
  if (!source.path.empty()) object.Text("path", source.path);
  if (!source.player.empty()) object.Text("player", source.player);
  if (!source.name.empty()) object.Text("name", source.name);
  return object.Close();
}

std::string ProfileJson(const CardProfile& profile) {
  std::vector<std::string> sources;
  for (const CardSource& source : profile.sources) sources.push_back(SourceJson(source));
  JsonObject line;
  line.Text("volume", profile.volume);
  const ProfileOutput& output = profile.output;
  if (!output.out_dir.empty()) line.Text("outdir", output.out_dir);
  if (!output.prefix.empty()) line.Text("prefix", output.prefix);
  if (!output.ext.empty()) line.Text("ext", output.ext);
  line.Number("title_format", output.title_format)
      .Number("separator", output.separator)
      .Bool("backup", output.backup)
      .Number("bitrate", output.bit_rate_kbps)
      .Bool("auto", profile.auto_update)
      .Raw("sources", JsonArray(sources));
  return line.Close();
}

// The steps of one card command over the real system.
class CardCommand {
 public:
  explicit CardCommand(const std::string& root) : root_(root) {}

  int Set(const CardArguments& arguments, const CLI::App& command) {
    CardProfile profile;
    for (const std::string& argument : arguments.sources) {
      std::variant<CardSource, std::string> source = ParseCardSource(argument, files_);
      if (const std::string* problem = std::get_if<std::string>(&source)) {
        std::cerr << "tarvello-cli: " << *problem << "\n";
        return kExitBadArguments;
      }
      profile.sources.push_back(std::get<CardSource>(std::move(source)));
    }
    if (!Identify(profile.volume)) return kExitFailed;
    ProfileOutput& output = profile.output;
    // Only the names given are the card's own; the rest follow the program's options.
    if (command.count("--outdir") > 0) output.out_dir = arguments.output.out_dir;
    if (command.count("--prefix") > 0) output.prefix = arguments.output.prefix;
    if (command.count("--ext") > 0) output.ext = arguments.output.ext;
    output.title_format = arguments.output.title_format;
    output.separator = arguments.output.separator;
    output.backup = !arguments.no_backup;
    output.bit_rate_kbps = arguments.output.convert.bit_rate_kbps;
    profile.auto_update = arguments.auto_update;
    if (!SaveCardProfile(files_, SettingsPath(), profile)) return Fail(kNotSaved);
    std::cout << ProfileJson(profile) << "\n";
    return 0;
  }

  int Show() {
    std::string volume;
    if (!Identify(volume)) return kExitFailed;
    const std::optional<CardProfile> profile = LoadCardProfile(files_, SettingsPath(), volume);
    if (!profile) return Fail(kNoProfile);
    std::cout << ProfileJson(*profile) << "\n";
    return 0;
  }

  int Forget() {
    std::string volume;
    if (!Identify(volume)) return kExitFailed;
    const bool had = LoadCardProfile(files_, SettingsPath(), volume).has_value();
    if (!ForgetCardProfile(files_, SettingsPath(), volume)) return Fail(kNotSaved);
    std::cout << JsonObject().Text("volume", volume).Bool("forgotten", had).Close() << "\n";
    return 0;
  }

 private:
  bool Identify(std::string& volume) {
    const std::optional<std::string> identity = CardIdentity(files_, root_);
    if (!identity) {
      Fail(kNoCardIdentity);
      return false;
    }
    volume = *identity;
    return true;
  }

  std::string SettingsPath() {
    return WindowExtraSettingsFile(environment_, files_);
  }

  int Fail(const std::string& message) {
    std::cerr << TerminalText(message) << "\n" << root_ << "\n";
    return kExitFailed;
  }

  std::string root_;
  PosixFileSystem files_;
  PosixEnvironment environment_;
};

CLI::App* AddRoot(CLI::App* command, std::string& root) {
  command->add_option("--root", root, "the card's root folder (native path)")->required();
  return command;
}

void AddSet(CLI::App& card, int& exit_status) {
  auto arguments = std::make_shared<CardArguments>();
  CLI::App* command = card.add_subcommand(
      "set",
      "Binds the card (by its file system's UUID or serial) to SOURCEs, in order: a playlist "
      "file or folder by its path, LIBRARY.xml#NAME for a library playlist, "
      "player:PLAYER#NAME for a music player's playlist (the last \"#\" splits). Prints the "
      "profile as JSON.");
  AddNameOptions(command, arguments->output);
  command->add_flag("--no-backup", arguments->no_backup,
                    "update without backing up the card's songs first");
  command->add_flag("--auto", arguments->auto_update,
                    "the window updates the card by itself when it is inserted");
  AddBitRateOption(*command, arguments->output.convert);
  command->add_option("SOURCE", arguments->sources, "the card's song sources, in order")
      ->required();
  command->callback([arguments, command, &exit_status] {
    std::setlocale(LC_ALL, "");
    exit_status = CardCommand(arguments->output.root).Set(*arguments, *command);
  });
}

}  // namespace

void AddCardCommand(CLI::App& app, int& exit_status) {
  CLI::App* card = app.add_subcommand(
      "card", "What a card remembers it should hold: its song sources and output options.");
  card->require_subcommand(1);
  AddSet(*card, exit_status);
  auto root = std::make_shared<std::string>();
  CLI::App* show =
      AddRoot(card->add_subcommand("show", "Prints the card's profile as JSON."), *root);
  show->callback([root, &exit_status] {
    std::setlocale(LC_ALL, "");
    exit_status = CardCommand(*root).Show();
  });
  CLI::App* forget = AddRoot(card->add_subcommand("forget", "Removes the card's profile."), *root);
  forget->callback([root, &exit_status] {
    std::setlocale(LC_ALL, "");
    exit_status = CardCommand(*root).Forget();
  });
}

}  // namespace tarvello::cli
