#include "sync/sync_plan.h"

#include <map>
#include <set>

#include "common/cp932.h"
#include "convert/content_hash.h"
#include "output/card_names.h"
#include "output/drives.h"
#include "output/known_contents.h"
#include "output/output_folder_rule.h"
#include "sync/card_songs.h"

namespace tarvello {
namespace {

constexpr const char* kOtherCard =
    "このカードの内容は記憶されていません.\r\nファイル → カードの内容... "
    "で曲の入手元を選んでください.";
constexpr const char* kNothingFits = "カードの空き領域に曲が 1 曲も入りません.";

std::string TitleOf(const TTrackInfo& record) {
  const std::string_view title = FieldText(record.Title);
  return Cp932ToUtf8(title.empty() ? FieldText(record.FileName) : title);
}

int32_t BitRateOf(const TTrackInfo& record) {
  return record.AvgBitRate > 0 ? record.AvgBitRate : record.BitRate;
}

// The card's numbered songs, by name, and the number each has.
std::map<std::string, int> CardSongNames(FileSystem& files, const std::string& folder,
                                         const TOutputOptions& options) {
  std::set<std::string> present;
  for (const DirEntry& entry : files.ListDirectory(folder)) present.insert(entry.name);
  std::map<std::string, int> songs;
  for (int number = 0; number < static_cast<int>(present.size()); ++number) {
    const std::string path = NumberedSongPath("", options, number);
    if (present.contains(path)) songs[path] = number;
  }
  return songs;
}

// Which of the plan's songs the card holds already (same size, then the same hash), each
// card song claimed once; and whether a kept song changes its place.
void CompareWithCard(SyncPlan& plan, SyncContext& context) {
  FileSystem& files = context.platform.files;
  const std::map<std::string, int> card = CardSongNames(files, plan.folder, plan.options);
  plan.card_songs = static_cast<int>(card.size());
  KnownContents known(files, context.hash_cache_folder, plan.folder + "/");
  std::vector<std::string> names;
  for (const auto& [name, number] : card) names.push_back(name);
  known.LookAtCard(names);
  std::multimap<int64_t, std::string> by_size;
  for (const std::string& name : names) {
    if (const std::optional<FileStatus> status = known.CardStatus(name)) {
      by_size.emplace(status->size, name);
    }
  }
  int number = 0;
  for (size_t i = 0; i < plan.songs.size(); ++i) {
    PlannedSong& song = plan.songs[i];
    if (song.left_out) continue;
    const std::string path(FieldText(plan.table[static_cast<int32_t>(i)].FileName));
    const auto [first, last] = by_size.equal_range(song.bytes);
    std::optional<ContentRecord> local;
    for (auto at = first; at != last; ++at) {
      if (!local) local = known.Local(path, true);
      const std::optional<ContentRecord> held = known.Card(at->second, true);
      if (!local || !held || held->hash != local->hash) continue;
      song.on_card = true;
      if (card.at(at->second) != number) plan.reordered = true;
      by_size.erase(at);
      break;
    }
    ++number;
  }
  known.Save();
}

// A re-encode made for an earlier update is in the cache: the song takes its real size
// and may be on the card already.
void UseKeptReencodes(SyncPlan& plan, SyncContext& context) {
  const ConvertSettings settings{true, plan.room.floor_kbps, true};
  for (int index : plan.fit.reencoded) {
    TTrackInfo& record = plan.table[index];
    const std::optional<std::string> hash =
        SourceContentKey(context.platform.files, std::string(FieldText(record.FileName)));
    if (!hash) continue;
    const std::optional<std::string> song =
        context.cache.Find(ConvertCache::EncodeKey(*hash, settings));
    if (!song) continue;
    plan.pinned.push_back(*song);
    const std::optional<FileStatus> status = context.platform.files.Status(*song);
    if (status) plan.songs[index].bytes = status->size;
    StoreBytes(record.FileName, *song);
    plan.songs[index].reencode_kept = true;
    record.FileSize = plan.songs[index].bytes;
  }
}

void ApplyFit(SyncPlan& plan) {
  std::vector<FitSong> fit_songs;
  for (int32_t i = 0; i < plan.table.TrackCount(); ++i) {
    const TTrackInfo& record = plan.table[i];
    fit_songs.push_back({record.FileSize, record.Time, BitRateOf(record)});
  }
  plan.fit = PlanFit(fit_songs, plan.room);
  for (int index : plan.fit.reencoded) {
    plan.songs[index].reencode = true;
    plan.songs[index].bytes = ReencodedBytes(plan.table[index].Time, plan.room.floor_kbps);
  }
  for (int index : plan.fit.left_out) plan.songs[index].left_out = true;
}

void Count(SyncPlan& plan) {
  int written = 0;
  for (const PlannedSong& song : plan.songs) {
    if (song.left_out) {
      ++plan.left_out;
      continue;
    }
    ++written;
    if (song.reencode) ++plan.reencoded;
    if (song.on_card) {
      ++plan.kept;
    } else {
      ++plan.added;
      plan.bytes_to_write += song.bytes;
    }
  }
  plan.removed = plan.card_songs - plan.kept;
  plan.bytes_to_write += int64_t{ManagementFileCount(written)} * kManagementFileSize;
}

SyncRefusal CheckCard(SyncPlan& plan, const std::string& root, SyncContext& context) {
  FileSystem& files = context.platform.files;
  const std::optional<std::string> volume = CardIdentity(files, root);
  if (!volume) return {SyncRefusalKind::kNoIdentity, kNoCardIdentity};
  if (*volume != plan.profile.volume) return {SyncRefusalKind::kNoProfile, kOtherCard};
  const std::string status = MeasureDrive(plan.drive, context.platform.volumes, files,
                                          plan.options.OutDir, NumberSymbols::FromLocale());
  const OutputFolderBlock block =
      CheckOutputFolder(&plan.drive, context.platform.volumes, plan.options.OutDir);
  if (block == OutputFolderBlock::kNone) return {};
  if (block == OutputFolderBlock::kNoMedium) return {SyncRefusalKind::kNoMedium, status};
  return {SyncRefusalKind::kFolderOffCard,
          OutputFolderRefusalText(block, OutputFolderPath(root, plan.options.OutDir))};
}

}  // namespace

bool SyncPlan::Changes() const {
  return added > 0 || removed > 0 || reordered;
}

bool SyncPlan::NeedsConfirmation() const {
  return removed * 2 > card_songs;
}

SyncPlan MakeSyncPlan(const CardProfile& profile, const std::string& root, SyncContext& context,
                      OutputProgress& progress) {
  SyncPlan plan;
  plan.profile = profile;
  plan.root = root;
  plan.drive.Root = root;
  plan.drive.Name = root;
  plan.options = OutputOptionsFor(profile.output, context.program_options);
  plan.folder = OutputFolderPath(root, plan.options.OutDir);
  plan.refusal = CheckCard(plan, root, context);
  if (plan.Refused()) return plan;

  CardSongs songs = GatherCardSongs(profile, context, progress);
  plan.notes = std::move(songs.notes);
  plan.pinned = std::move(songs.pinned);
  if (songs.refusal.kind != SyncRefusalKind::kNone) {
    plan.refusal = std::move(songs.refusal);
    return plan;
  }
  plan.table = std::move(songs.table);
  for (int32_t i = 0; i < plan.table.TrackCount(); ++i) {
    const TTrackInfo& record = plan.table[i];
    plan.songs.push_back({songs.sources[i], TitleOf(record), record.FileSize, record.Time});
  }
  plan.room = {plan.drive.FreeBytes + plan.drive.OutputFolderBytes, plan.drive.ClusterSize(),
               profile.output.bit_rate_kbps};
  ApplyFit(plan);
  UseKeptReencodes(plan, context);
  if (!plan.songs.empty() && plan.fit.left_out.size() == plan.songs.size()) {
    plan.refusal = {SyncRefusalKind::kNothingFits, kNothingFits};
    return plan;
  }
  CompareWithCard(plan, context);
  Count(plan);
  return plan;
}

std::string SyncBarText(const SyncPlan& plan, const std::string& card_name,
                        const NumberSymbols& symbols) {
  if (!plan.Changes()) return "カード " + card_name + " は最新です.";
  std::string text = "カード " + card_name + " を更新できます: ";
  std::vector<std::string> parts;
  if (plan.added > 0) parts.push_back(std::to_string(plan.added) + " 曲を追加");
  if (plan.removed > 0) parts.push_back(std::to_string(plan.removed) + " 曲を削除");
  if (plan.reencoded > 0) parts.push_back(std::to_string(plan.reencoded) + " 曲を再エンコード");
  if (plan.left_out > 0) parts.push_back(std::to_string(plan.left_out) + " 曲を除外");
  if (parts.empty()) parts.push_back("曲順を変更");
  for (size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : "、") + parts[i];
  return text + " (" + FormatFileSize(plan.bytes_to_write, symbols) + ")";
}

std::string MassRemovalQuestion(const SyncPlan& plan) {
  return "この更新でカードの " + std::to_string(plan.card_songs) + " 曲のうち " +
         std::to_string(plan.removed) + " 曲が削除されます.\r\n更新を続けますか？";
}

std::vector<std::string> LeftOutLines(const SyncPlan& plan) {
  std::vector<std::string> lines;
  for (const PlannedSong& song : plan.songs) {
    if (song.left_out) lines.push_back("入りきらないため除外: " + song.title);
  }
  return lines;
}

}  // namespace tarvello
