#pragma once

// What a card should hold: an ordered list of song sources and the output options to
// write them with, remembered per card by its volume identity (the file system's UUID
// or serial, the name the hash cache knows the card by). Profiles live in the extra
// settings file, one section per card, sources kept by name and path so that a playlist
// edited in its player is followed.

#include <optional>
#include <string>
#include <vector>

#include "common/extra_settings.h"
#include "convert/convert_settings.h"
#include "output/output_options.h"
#include "platform/platform.h"

namespace tarvello {

enum class CardSourceKind {
  kLibraryPlaylist,  // `path`: the library file; `name`: the playlist
  kPlayerPlaylist,   // `player`: the player's name (as PlayerName gives it); `name`: the playlist
  kPlaylistFile,     // `path`: an M3U, M3U8, PLS or XSPF file
  kFolder,           // `path`: its music files, recursively, in natural order
  kSavedList,        // `path`: an M3U8 the program saved from the window's marked rows
};

struct CardSource {
  CardSourceKind kind = CardSourceKind::kFolder;
  std::string path;    // native path, UTF-8
  std::string player;  // kPlayerPlaylist only
  std::string name;    // playlist name, UTF-8; kLibraryPlaylist and kPlayerPlaylist only

  bool operator==(const CardSource&) const = default;
};

// "library", "player", "playlist", "folder" or "saved list": the kind as the settings file
// and tarvello-cli write it.
const char* CardSourceKindName(CardSourceKind kind);

// "フォルダ /home/me/Music", "プレイリスト Morning (Rhythmbox)": a source as messages and the
// dialog name it.
std::string CardSourceLabel(const CardSource& source);

// The output options a profile keeps. Empty texts take the program's own (the window's
// options or the command's defaults).
struct ProfileOutput {
  std::string out_dir;  // UTF-8, backslash form as the options dialog writes it
  std::string prefix;   // UTF-8
  std::string ext;      // UTF-8
  int title_format = 0;
  int separator = 0;
  bool backup = true;
  int bit_rate_kbps = kDefaultBitRateKbps;  // of conversions, and the floor of the fit

  bool operator==(const ProfileOutput&) const = default;
};

struct CardProfile {
  std::string volume;  // the card's identity
  std::vector<CardSource> sources;
  ProfileOutput output;
  bool auto_update = false;  // 挿したら自動で更新する

  bool operator==(const CardProfile&) const = default;
};

// The card's identity: its file system's UUID or serial, found through the volume that
// holds `root`. nullopt for a card that has none (a RAM disk, some card readers).
std::optional<std::string> CardIdentity(FileSystem& files, const std::string& root);

// The message for a card without an identity.
inline constexpr const char* kNoCardIdentity =
    "このカードには識別情報 (UUID またはシリアル番号) がないため、内容を記憶できません.";

// The profile of `volume` in `settings`; nullopt when the card has none or its section
// names no source.
std::optional<CardProfile> ProfileOf(const ExtraSettings& settings, const std::string& volume);
// Replaces the card's section with `profile`. False, changing nothing, when a text cannot
// be kept (not UTF-8, or holding a line break).
bool PutProfile(ExtraSettings& settings, const CardProfile& profile);
// Removes the card's section.
void RemoveProfile(ExtraSettings& settings, const std::string& volume);
// The identities of the cards that have a profile, in the file's order.
std::vector<std::string> ProfileVolumes(const ExtraSettings& settings);

// The same on the extra settings file at `path`, keeping what other parts of the program
// wrote there. Save and Forget return false when the file could not be written.
std::optional<CardProfile> LoadCardProfile(FileSystem& files, const std::string& path,
                                           const std::string& volume);
bool SaveCardProfile(FileSystem& files, const std::string& path, const CardProfile& profile);
bool ForgetCardProfile(FileSystem& files, const std::string& path, const std::string& volume);

// The output options of a run by the profile: its own texts (turned into CP932) where it
// has them, `program`'s otherwise.
TOutputOptions OutputOptionsFor(const ProfileOutput& output, const TOutputOptions& program);

}  // namespace tarvello
