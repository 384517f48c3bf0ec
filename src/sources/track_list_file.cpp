#include "sources/track_list_file.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "common/xml_lines.h"
#include "common/xml_text.h"
#include "sources/library_track_keys.h"
#include "sources/track_list_text.h"

namespace tarvello {
namespace {

enum class ListKind { kNone, kPropertyList, kRmpPackage };

ListKind ReadKind(LineReader& reader) {
  std::string_view line;
  if (!reader.Next(line)) return ListKind::kNone;  // the declaration's line
  if (!reader.Next(line)) return ListKind::kNone;
  const std::string_view text = TrimLine(line);
  if (text.find("<!DOCTYPE plist") != std::string_view::npos) return ListKind::kPropertyList;
  if (text.find("<PACKAGE>") != std::string_view::npos) return ListKind::kRmpPackage;
  return ListKind::kNone;
}

// The trimmed lines after the kind line that the scanners look at; false at the end.
bool NextContentLine(LineReader& reader, std::string_view& text) {
  std::string_view line;
  while (reader.Next(line)) {
    text = TrimLine(line);
    if (!text.empty() && !text.starts_with("<!")) return true;
  }
  return false;
}

// ---- RMP package ----

std::optional<std::string_view> ElementValue(std::string_view line, std::string_view open,
                                             std::string_view close) {
  if (!line.starts_with(open)) return std::nullopt;
  const std::string_view rest = line.substr(open.size());
  const size_t stop = rest.find(close);
  if (stop == std::string_view::npos) return std::nullopt;
  return rest.substr(0, stop);
}

// Applies one line of an open RMP track; false when it rejects the track.
bool ApplyRmpElement(std::string_view line, TTrackInfo& track, FileSystem& files,
                     ListEncoding encoding) {
  struct Element {
    std::string_view open;
    std::string_view close;
  };
  // In the order they are tested; the first the line begins with decides.
  static constexpr Element kElements[] = {
      {"<TITLE>", "</TITLE>"},       {"<ARTIST>", "</ARTIST>"},   {"<ALBUM>", "</ALBUM>"},
      {"<GENRE>", "</GENRE>"},       {"<FORMAT>", "</FORMAT>"},   {"<SIZE>", "</SIZE>"},
      {"<DURATION>", "</DURATION>"}, {"<QUALITY>", "</QUALITY>"}, {"<CHANNELS>", "</CHANNELS>"},
      {"<FILENAME>", "</FILENAME>"},
  };
  size_t index = 0;
  while (index < std::size(kElements) && !line.starts_with(kElements[index].open)) ++index;
  if (index == std::size(kElements)) return true;
  const std::optional<std::string_view> value =
      ElementValue(line, kElements[index].open, kElements[index].close);
  if (!value) return true;
  switch (index) {
    case 0:
      StoreText(track.Title, ListTextToCp932(*value, encoding));
      break;
    case 1:
      StoreText(track.Artist, ListTextToCp932(*value, encoding));
      break;
    case 2:
      StoreText(track.Album, ListTextToCp932(*value, encoding));
      break;
    case 3:
      StoreText(track.Genre, ListTextToCp932(*value, encoding));
      break;
    case 4:
      return value->size() < 4 || value->starts_with(".m4a");
    case 5:
      track.FileSize = Integer64Value(*value);
      break;
    case 6:
      track.Time = IntegerValue(*value);
      break;
    case 7:
      track.BitRate = IntegerValue(*value);
      track.AvgBitRate = track.BitRate;
      break;
    case 8:
      track.ChNum = Low16Bits(IntegerValue(*value));
      break;
    case 9:
      // The file is looked for under its native name, as every other path is recorded.
      StoreBytes(track.FileName, ListPathToNative(*value, encoding));
      return files.FileExists(std::string(FieldText(track.FileName)));
  }
  return true;
}

void ReadRmpPackage(LineReader& reader, FileSystem& files, TrackTable& table, TTrackInfo& staging,
                    ListEncoding encoding, TrackListResult& result) {
  std::string_view text;
  bool switched_on = false;
  bool track_open = false;
  while (NextContentLine(reader, text)) {
    if (!switched_on) {
      switched_on = text.starts_with("<TRACKLIST>");
    } else if (text.starts_with("</TRACKLIST>")) {
      return;
    } else if (text.starts_with("</TRACK>")) {
      if (!track_open) continue;
      track_open = false;
      if (!table.CanAdd()) {
        result.messages.push_back(TrackLimitText());
        return;
      }
      if (table.StoreTrack(table.TrackCount(), staging) != StoreResult::kStored) {
        result.messages.push_back(kOutOfMemoryMessage);
        return;
      }
      result.accepted = true;
    } else if (text.starts_with("<TRACK>")) {
      track_open = true;
      staging = TTrackInfo{};
    } else if (track_open) {
      track_open = ApplyRmpElement(text, staging, files, encoding);
    }
  }
}

// ---- Property list ----

class PropertyListScan {
 public:
  PropertyListScan(FileSystem& files, TTrackInfo& staging, PendingTracks& pending,
                   std::vector<std::string>& track_id_list, TrackListResult& result)
      : files_(files),
        staging_(staging),
        pending_(pending),
        track_id_list_(track_id_list),
        result_(result) {}

  enum class Outcome { kGoOn, kStop, kOutOfMemory };

  Outcome Line(std::string_view text) {
    if (section_ == Section::kNone) {
      if (text.starts_with("<key>Tracks</key>")) {
        section_ = Section::kTracks;
      } else if (text.starts_with("<key>Playlists</key>")) {
        section_ = Section::kPlaylists;
      }
      return Outcome::kGoOn;
    }
    const bool opens = text.starts_with("<dict>");
    if (opens || text.starts_with("</dict>")) {
      depth_ += opens ? 1 : -1;
      return section_ == Section::kTracks ? AfterTracksDepthChange() : AfterPlaylistsDepthChange();
    }
    if (section_ == Section::kTracks) {
      TracksLine(text);
    } else if (depth_ == 2 && text.starts_with(kTrackIdKey)) {
      if (const auto id = TrackIdText(text)) track_id_list_.emplace_back(*id);
    }
    return Outcome::kGoOn;
  }

 private:
  enum class Section { kNone, kTracks, kPlaylists };

  Outcome AfterTracksDepthChange() {
    if (depth_ == 0) {
      section_ = Section::kNone;
      return Outcome::kGoOn;
    }
    if (track_depth_ <= depth_) return Outcome::kGoOn;
    track_depth_ = 0;
    if (pending_.Full()) {
      // The tracks gathered are still added: the first playlist's IDs are read on.
      result_.messages.push_back(TrackLimitText());
      collecting_ = false;
      return Outcome::kGoOn;
    }
    if (!pending_.Add(staging_)) {
      result_.messages.push_back(kOutOfMemoryMessage);
      return Outcome::kOutOfMemory;
    }
    result_.accepted = true;
    return Outcome::kGoOn;
  }

  Outcome AfterPlaylistsDepthChange() const {
    // Back at the playlists array: the first playlist has ended.
    return depth_ == 0 ? Outcome::kStop : Outcome::kGoOn;
  }

  void TracksLine(std::string_view text) {
    if (!collecting_) return;
    if (text.starts_with(kTrackIdKey)) {
      const std::optional<std::string_view> id = TrackIdText(text);
      if (!id || id->empty()) return;
      track_depth_ = depth_;
      staging_ = TTrackInfo{};
      staging_.TrackID = IntegerValue(*id);
      return;
    }
    if (track_depth_ == 0 || depth_ != track_depth_) return;
    switch (ApplyTrackKey(text, staging_)) {
      case TrackKeyResult::kRejected:
        track_depth_ = 0;
        break;
      case TrackKeyResult::kLocationSet:
        if (!files_.FileExists(std::string(FieldText(staging_.FileName)))) track_depth_ = 0;
        break;
      case TrackKeyResult::kKept:
        break;
    }
  }

  FileSystem& files_;
  TTrackInfo& staging_;
  PendingTracks& pending_;
  std::vector<std::string>& track_id_list_;
  TrackListResult& result_;
  Section section_ = Section::kNone;
  int64_t depth_ = 0;
  int64_t track_depth_ = 0;  // 0: no track open
  bool collecting_ = true;   // false once the limit has been met
};

void ReadPropertyList(LineReader& reader, FileSystem& files, TrackTable& table, TTrackInfo& staging,
                      std::vector<std::string>& track_id_list, int32_t pending_growth_limit,
                      TrackListResult& result) {
  PendingTracks pending;
  pending.LimitGrowthForTests(pending_growth_limit);
  PropertyListScan scan(files, staging, pending, track_id_list, result);
  std::string_view text;
  while (NextContentLine(reader, text)) {
    const PropertyListScan::Outcome outcome = scan.Line(text);
    // Out of memory: nothing of this file is added.
    if (outcome == PropertyListScan::Outcome::kOutOfMemory) return;
    if (outcome == PropertyListScan::Outcome::kStop) break;
  }
  if (pending.Empty()) return;
  SourceMessages adding;
  AddInPlaylistOrder(track_id_list, pending, table, adding);
  // A limit met while reading and again while adding is told once.
  for (std::string& message : adding) {
    if (std::find(result.messages.begin(), result.messages.end(), message) ==
        result.messages.end()) {
      result.messages.push_back(std::move(message));
    }
  }
}

}  // namespace

TrackListResult ReadTrackList(ByteFile& file, FileSystem& files, TrackTable& table,
                              TTrackInfo& staging, std::vector<std::string>& track_id_list,
                              int32_t pending_growth_limit) {
  TrackListResult result;
  track_id_list.clear();
  if (!HasXmlDeclaration(file)) return result;
  file.Seek(0);
  LineReader reader(file);
  switch (ReadKind(reader)) {
    case ListKind::kPropertyList:
      ReadPropertyList(reader, files, table, staging, track_id_list, pending_growth_limit, result);
      break;
    case ListKind::kRmpPackage: {
      const ListEncoding encoding = DetectListEncoding(file);
      file.Seek(0);
      LineReader rmp_reader(file);
      ReadKind(rmp_reader);
      ReadRmpPackage(rmp_reader, files, table, staging, encoding, result);
      break;
    }
    case ListKind::kNone:
      break;
  }
  return result;
}

TrackListResult ReadTrackList(FileSystem& files, const std::string& path, TrackTable& table,
                              TTrackInfo& staging, std::vector<std::string>& track_id_list,
                              int32_t pending_growth_limit) {
  const std::unique_ptr<ByteFile> file = files.OpenReadOrThrow(path);
  return ReadTrackList(*file, files, table, staging, track_id_list, pending_growth_limit);
}

}  // namespace tarvello
