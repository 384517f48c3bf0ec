#include "app/settings.h"

#include <optional>
#include <string>

#include "common/cp932.h"
#include "common/text_tools.h"
#include "output/output_folder_rule.h"
#include "output/output_options.h"

namespace tarvello {
namespace {

constexpr char kEndOfFileByte = '\x1A';
constexpr std::string_view kLineEnd = "\r\n";

// An optional sign and decimal digits that fit in 32 bits; anything else is no number.
std::optional<int32_t> ParseSettingInteger(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    // The "-" that follows would be taken as a sign of its own; "+-1" is no number.
    if (text.starts_with('-')) return std::nullopt;
  }
  return ParseInteger<int32_t>(text);
}

void SetIfInteger(std::string_view value, int& target) {
  if (const auto number = ParseSettingInteger(value)) target = *number;
}

// The 4th and 5th characters of a "COL" key name the column; anything after is ignored.
void ApplyColumnWidth(std::string_view key, std::string_view value, Settings& settings) {
  const auto column = ParseSettingInteger(key.substr(3, 2));
  if (!column || *column < 0 || *column >= kListColumnCount) return;
  settings.column_widths[static_cast<size_t>(*column)] =
      ParseSettingInteger(value).value_or(kDefaultColumnWidth);
}

uint8_t LowByte(int32_t value) {
  return static_cast<uint8_t>(value);
}

void ApplyTitleFormat(std::string_view value, TOutputOptions& options) {
  const uint8_t format = LowByte(ParseSettingInteger(value).value_or(0));
  options.TitleFormat = format > 2 ? 0 : format;
}

void ApplyValue(std::string_view key, std::string_view value, Settings& settings) {
  TOutputOptions& options = settings.options;
  if (key == "HEIGHT") {
    SetIfInteger(value, settings.height);
  } else if (key == "WIDTH") {
    SetIfInteger(value, settings.width);
  } else if (key == "TOP") {
    SetIfInteger(value, settings.top);
  } else if (key == "LEFT") {
    SetIfInteger(value, settings.left);
  } else if (key.starts_with("COL")) {
    ApplyColumnWidth(key, value, settings);
  } else if (key == "OUTDRV") {
    // A mount point; anything else (a drive letter of old) means no start-up drive.
    settings.out_drive = value.starts_with('/') ? std::string(value) : std::string();
  } else if (key == "OUTDIR") {
    // A folder that would climb out of the card, or stand still, is no folder to use.
    options.OutDir = NormalizeOutDir(value);
    if (OutDirHasDotParts(options.OutDir)) options.OutDir = TOutputOptions{}.OutDir;
  } else if (key == "PREFIX") {
    options.Prefix = NamePartOf(value);
  } else if (key == "EXT") {
    options.Ext = NamePartOf(value);
  } else if (key == "TITLE") {
    ApplyTitleFormat(value, options);
  } else if (key == "SEP") {
    if (const auto number = ParseSettingInteger(value)) options.Separator = LowByte(*number);
  } else if (key == "AUTDST") {
    if (value == "0") options.AutoImport = false;
  } else if (key == "BACKUP") {
    if (value == "0") options.BackupBeforeOutput = false;
  }
}

void ApplyLine(std::string_view line, Settings& settings) {
  if (line.empty() || line.front() == '[' || line.front() == ';') return;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  ApplyValue(Trim(line.substr(0, equals), IsSpaceOrControl),
             Trim(line.substr(equals + 1), IsSpaceOrControl), settings);
}

// A value must not carry a line feed or an end-of-file byte: either would cut the file
// short or start a line of its own when the file is read again.
std::string_view WritableValue(std::string_view value) {
  return value.substr(0, value.find_first_of(std::string_view("\n\x1A", 2)));
}

void AppendLine(std::string& out, std::string_view text) {
  out.append(text);
  out.append(kLineEnd);
}

void AppendEntry(std::string& out, std::string_view key, std::string_view value) {
  out.append(key);
  out.append(" = ");
  AppendLine(out, WritableValue(value));
}

void AppendEntry(std::string& out, std::string_view key, int value) {
  AppendEntry(out, key, std::to_string(value));
}

std::string ColumnKey(int column) {
  std::string key = "COL";
  if (column < 10) key += '0';
  key += std::to_string(column);
  return key;
}

}  // namespace

void ReadSettings(std::string_view bytes, Settings& settings) {
  bytes = bytes.substr(0, bytes.find(kEndOfFileByte));
  while (!bytes.empty()) {
    const size_t line_feed = bytes.find('\n');
    std::string_view line = bytes.substr(0, line_feed);
    if (line_feed == std::string_view::npos) {
      bytes = {};
    } else {
      bytes.remove_prefix(line_feed + 1);
      if (line.ends_with('\r')) line.remove_suffix(1);
    }
    ApplyLine(line, settings);
  }
}

std::string WriteSettings(const Settings& settings) {
  const TOutputOptions& options = settings.options;
  std::string out;
  AppendLine(out, ";Initialize File for Tarvello");
  AppendLine(out, "");
  AppendLine(out, "[SIZE]");
  AppendEntry(out, "HEIGHT", settings.height);
  AppendEntry(out, "WIDTH", settings.width);
  AppendLine(out, "");
  AppendLine(out, "[POSITION]");
  AppendEntry(out, "TOP", settings.top);
  AppendEntry(out, "LEFT", settings.left);
  AppendLine(out, "");
  AppendLine(out, "[COLUMNWIDTH]");
  for (int column = 0; column < kListColumnCount; ++column) {
    AppendEntry(out, ColumnKey(column), settings.column_widths[static_cast<size_t>(column)]);
  }
  AppendLine(out, "");
  AppendLine(out, "[OUTPUT]");
  // The mount point is written as the system gave it, so any name comes back unchanged.
  if (!settings.out_drive.empty()) AppendEntry(out, "OUTDRV", settings.out_drive);
  AppendEntry(out, "OUTDIR", options.OutDir);
  AppendEntry(out, "PREFIX", options.Prefix);
  AppendEntry(out, "EXT", options.Ext);
  AppendEntry(out, "TITLE", options.TitleFormat);
  AppendEntry(out, "SEP", options.Separator);
  AppendEntry(out, "AUTDST", options.AutoImport ? 1 : 0);
  AppendEntry(out, "BACKUP", options.BackupBeforeOutput ? 1 : 0);
  AppendLine(out, "");
  return out;
}

}  // namespace tarvello
