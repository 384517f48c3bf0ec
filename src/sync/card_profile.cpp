#include "sync/card_profile.h"

#include <array>
#include <utility>

#include "common/cp932.h"
#include "common/utf8.h"
#include "output/output_folder_rule.h"

namespace tarvello {
namespace {

// "[Card profile 1234-ABCD]": one section per card.
constexpr std::string_view kSectionPrefix = "Card profile ";

constexpr std::array<std::pair<CardSourceKind, const char*>, 5> kKindNames = {{
    {CardSourceKind::kLibraryPlaylist, "library"},
    {CardSourceKind::kPlayerPlaylist, "player"},
    {CardSourceKind::kPlaylistFile, "playlist"},
    {CardSourceKind::kFolder, "folder"},
    {CardSourceKind::kSavedList, "saved list"},
}};

std::string SectionOf(const std::string& volume) {
  return std::string(kSectionPrefix) + volume;
}

std::optional<CardSourceKind> KindNamed(const std::string& text) {
  for (const auto& [kind, name] : kKindNames) {
    if (text == name) return kind;
  }
  return std::nullopt;
}

// "source.3.path": the keys of the third source.
std::string SourceKey(size_t number, const char* field) {
  return "source." + std::to_string(number) + "." + field;
}

// A text the settings file can keep as it is.
bool Storable(const std::string& text) {
  return IsWellFormedUtf8(text) && text.find_first_of("\r\n") == std::string::npos;
}

bool Storable(const CardProfile& profile) {
  if (profile.volume.empty() || !Storable(profile.volume) ||
      profile.volume.find_first_of("[]") != std::string::npos) {
    return false;
  }
  for (const CardSource& source : profile.sources) {
    if (!Storable(source.path) || !Storable(source.player) || !Storable(source.name)) return false;
  }
  const ProfileOutput& output = profile.output;
  return Storable(output.out_dir) && Storable(output.prefix) && Storable(output.ext);
}

std::vector<CardSource> SourcesOf(const ExtraSettings& settings, const std::string& section) {
  std::vector<CardSource> sources;
  for (size_t number = 1;; ++number) {
    const std::optional<std::string> kind_text = settings.Get(section, SourceKey(number, "kind"));
    if (!kind_text) break;
    const std::optional<CardSourceKind> kind = KindNamed(*kind_text);
    if (!kind) continue;  // a kind a later version knows
    CardSource source;
    source.kind = *kind;
    source.path = settings.Get(section, SourceKey(number, "path")).value_or("");
    source.player = settings.Get(section, SourceKey(number, "player")).value_or("");
    source.name = settings.Get(section, SourceKey(number, "name")).value_or("");
    sources.push_back(std::move(source));
  }
  return sources;
}

void PutSource(ExtraSettings& settings, const std::string& section, size_t number,
               const CardSource& source) {
  settings.Set(section, SourceKey(number, "kind"), CardSourceKindName(source.kind));
  if (!source.path.empty()) settings.Set(section, SourceKey(number, "path"), source.path);
  if (!source.player.empty()) settings.Set(section, SourceKey(number, "player"), source.player);
  if (!source.name.empty()) settings.Set(section, SourceKey(number, "name"), source.name);
}

}  // namespace

const char* CardSourceKindName(CardSourceKind kind) {
  for (const auto& [known, name] : kKindNames) {
    if (known == kind) return name;
  }
  return "folder";
}

std::string CardSourceLabel(const CardSource& source) {
  switch (source.kind) {
    case CardSourceKind::kLibraryPlaylist:
      return "プレイリスト " + source.name + " (" + source.path + ")";
    case CardSourceKind::kPlayerPlaylist:
      return "プレイリスト " + source.name + " (" + source.player + ")";
    case CardSourceKind::kPlaylistFile:
      return "プレイリストファイル " + source.path;
    case CardSourceKind::kFolder:
      return "フォルダ " + source.path;
    case CardSourceKind::kSavedList:
      return "保存したリスト " + source.path;
  }
  return source.path;
}

std::optional<std::string> CardIdentity(FileSystem& files, const std::string& root) {
  const std::optional<VolumePlace> place = files.LocateOnVolume(root);
  if (!place || place->volume.empty()) return std::nullopt;
  return place->volume;
}

std::optional<CardProfile> ProfileOf(const ExtraSettings& settings, const std::string& volume) {
  const std::string section = SectionOf(volume);
  CardProfile profile;
  profile.volume = volume;
  profile.sources = SourcesOf(settings, section);
  if (profile.sources.empty()) return std::nullopt;
  ProfileOutput& output = profile.output;
  output.out_dir = settings.Get(section, "outdir").value_or("");
  output.prefix = settings.Get(section, "prefix").value_or("");
  output.ext = settings.Get(section, "ext").value_or("");
  output.title_format = settings.GetInt(section, "title_format", 0, 0, 2);
  output.separator = settings.GetInt(section, "separator", 0, 0, 7);
  output.backup = settings.GetBool(section, "backup", true);
  output.bit_rate_kbps = settings.GetInt(section, "bitrate", kDefaultBitRateKbps, 0, 100000);
  if (!IsOfferedBitRate(output.bit_rate_kbps)) output.bit_rate_kbps = kDefaultBitRateKbps;
  profile.auto_update = settings.GetBool(section, "auto", false);
  return profile;
}

bool PutProfile(ExtraSettings& settings, const CardProfile& profile) {
  if (!Storable(profile)) return false;
  const std::string section = SectionOf(profile.volume);
  ExtraSettings fresh;
  const ProfileOutput& output = profile.output;
  if (!output.out_dir.empty()) fresh.Set(section, "outdir", output.out_dir);
  if (!output.prefix.empty()) fresh.Set(section, "prefix", output.prefix);
  if (!output.ext.empty()) fresh.Set(section, "ext", output.ext);
  fresh.SetInt(section, "title_format", output.title_format);
  fresh.SetInt(section, "separator", output.separator);
  fresh.SetBool(section, "backup", output.backup);
  fresh.SetInt(section, "bitrate", output.bit_rate_kbps);
  fresh.SetBool(section, "auto", profile.auto_update);
  for (size_t i = 0; i < profile.sources.size(); ++i) {
    PutSource(fresh, section, i + 1, profile.sources[i]);
  }
  settings.TakeSection(section, fresh);
  return true;
}

void RemoveProfile(ExtraSettings& settings, const std::string& volume) {
  settings.TakeSection(SectionOf(volume), ExtraSettings());
}

std::vector<std::string> ProfileVolumes(const ExtraSettings& settings) {
  std::vector<std::string> volumes;
  for (const std::string& name : settings.SectionNames()) {
    if (name.starts_with(kSectionPrefix) &&
        ProfileOf(settings, name.substr(kSectionPrefix.size()))) {
      volumes.push_back(name.substr(kSectionPrefix.size()));
    }
  }
  return volumes;
}

std::optional<CardProfile> LoadCardProfile(FileSystem& files, const std::string& path,
                                           const std::string& volume) {
  return ProfileOf(LoadExtraSettings(files, path), volume);
}

bool SaveCardProfile(FileSystem& files, const std::string& path, const CardProfile& profile) {
  bool storable = true;
  const bool saved = UpdateExtraSettings(
      files, path, [&](ExtraSettings& settings) { storable = PutProfile(settings, profile); });
  return saved && storable;
}

bool ForgetCardProfile(FileSystem& files, const std::string& path, const std::string& volume) {
  return UpdateExtraSettings(files, path,
                             [&](ExtraSettings& settings) { RemoveProfile(settings, volume); });
}

TOutputOptions OutputOptionsFor(const ProfileOutput& output, const TOutputOptions& program) {
  TOutputOptions options = program;
  if (!output.out_dir.empty()) options.OutDir = NormalizeOutDir(Utf8ToCp932(output.out_dir));
  if (!output.prefix.empty()) options.Prefix = Utf8ToCp932(output.prefix);
  if (!output.ext.empty()) options.Ext = Utf8ToCp932(output.ext);
  options.TitleFormat = static_cast<uint8_t>(output.title_format);
  options.Separator = static_cast<uint8_t>(output.separator);
  options.BackupBeforeOutput = output.backup;
  return options;
}

}  // namespace tarvello
