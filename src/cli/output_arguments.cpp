#include "cli/output_arguments.h"

#include "cli/text_arguments.h"
#include "common/cp932.h"
#include "common/utf8.h"
#include "output/output_folder_rule.h"
#include "output/output_options.h"

namespace tarvello::cli {
namespace {

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

}  // namespace

void AddNameOptions(CLI::App* command, OutputArguments& arguments) {
  command->add_option("--root", arguments.root, "the card's root folder (native path)")->required();
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

CLI::Option* AddBackupDirOption(CLI::App* command, std::string& backup_dir) {
  return command->add_option(
      "--backup-dir", backup_dir,
      "folder that receives the day's backup folder (default: the program's)");
}

void AddNoVerifyFlag(CLI::App* command, bool& no_verify) {
  command->add_flag("--no-verify", no_verify,
                    "do not read the written files back from the card to compare them");
}

TOutputOptions OutputOptionsOf(const OutputArguments& arguments) {
  TOutputOptions options;
  options.OutDir = NormalizeOutDir(Utf8ToCp932(arguments.out_dir));
  options.Prefix = Utf8ToCp932(arguments.prefix);
  options.Ext = Utf8ToCp932(arguments.ext);
  options.TitleFormat = static_cast<uint8_t>(arguments.title_format);
  options.Separator = static_cast<uint8_t>(arguments.separator);
  options.BackupBeforeOutput = !arguments.no_backup;
  return options;
}

}  // namespace tarvello::cli
