#include "sources/playlist_import.h"

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "common/xml_lines.h"
#include "common/xml_text.h"
#include "sources/library_track_keys.h"

namespace tarvello {
namespace {

constexpr std::string_view kTracksKey = "<key>Tracks</key>";

// The scan state of the first pass.
class WantedTrackScan {
 public:
  WantedTrackScan(const std::vector<std::string>& track_ids, TTrackInfo& staging,
                  PendingTracks& pending, SourceMessages& messages)
      : wanted_count_(track_ids.size()),
        wanted_(track_ids.begin(), track_ids.end()),
        staging_(staging),
        pending_(pending),
        messages_(messages) {}

  // Handles one trimmed line of the tracks dictionary; false when reading stops.
  bool Line(std::string_view text) {
    if (text.starts_with("<dict>")) {
      ++depth_;
    } else if (text.starts_with("</dict>")) {
      if (--depth_ == 0) return false;
      if (track_depth_ > depth_) return CommitTrack();
    } else if (text.starts_with(kTrackIdKey)) {
      StartTrack(text);
    } else if (track_depth_ != 0 && depth_ == track_depth_) {
      if (ApplyTrackKey(text, staging_) == TrackKeyResult::kRejected) track_depth_ = 0;
    }
    return true;
  }

 private:
  void StartTrack(std::string_view text) {
    const std::optional<std::string_view> id = TrackIdText(text);
    if (!id || id->empty() || !wanted_.contains(*id)) return;
    track_depth_ = depth_;
    staging_ = TTrackInfo{};
    staging_.TrackID = IntegerValue(*id);
  }

  bool CommitTrack() {
    track_depth_ = 0;
    if (pending_.Full()) {
      messages_.push_back(TrackLimitText());
      return false;
    }
    if (!pending_.Add(staging_)) {
      messages_.push_back(kOutOfMemoryMessage);
      return false;
    }
    // Every wanted track has been found.
    return static_cast<size_t>(pending_.Count()) < wanted_count_;
  }

  size_t wanted_count_;
  std::unordered_set<std::string_view> wanted_;
  TTrackInfo& staging_;
  PendingTracks& pending_;
  SourceMessages& messages_;
  int64_t depth_ = 0;
  int64_t track_depth_ = 0;  // 0: no track open
};

}  // namespace

std::vector<std::string> SplitTrackIds(std::string_view entry) {
  std::vector<std::string> ids;
  size_t comma;
  while (!entry.empty() && (comma = entry.find(',')) != std::string_view::npos) {
    ids.emplace_back(entry.substr(0, comma));
    entry.remove_prefix(comma + 1);
  }
  return ids;
}

void GatherWantedTracks(ByteFile& file, const std::vector<std::string>& track_ids,
                        TTrackInfo& staging, PendingTracks& pending, SourceMessages& messages) {
  LineReader reader(file);
  std::string_view line;
  if (!reader.SkipTo(kTracksKey, line)) return;
  WantedTrackScan scan(track_ids, staging, pending, messages);
  while (reader.Next(line)) {
    const std::string_view text = TrimLine(line);
    if (text.empty() || text.starts_with("<!")) continue;
    if (!scan.Line(text)) break;
  }
}

SourceMessages ImportPlaylistTracks(FileSystem& files, const std::string& library_path,
                                    std::string_view playlist_entry, TrackTable& table,
                                    TTrackInfo& staging, std::vector<std::string>& track_id_list) {
  SourceMessages messages;
  PendingTracks pending;
  track_id_list = SplitTrackIds(playlist_entry);
  {
    const std::unique_ptr<ByteFile> file = files.OpenReadOrThrow(library_path);
    GatherWantedTracks(*file, track_id_list, staging, pending, messages);
  }
  if (!pending.Empty()) AddInPlaylistOrder(track_id_list, pending, table, messages);
  return messages;
}

}  // namespace tarvello
