#include "sources/library_track_keys.h"

#include <array>
#include <cstdint>

#include "common/xml_lines.h"
#include "common/xml_text.h"
#include "sources/library_text.h"

namespace tarvello {
namespace {

std::optional<std::string_view> StringValue(std::string_view line) {
  return TagValue(line, "<string>", "</string>");
}

std::optional<std::string_view> IntegerText(std::string_view line) {
  return TagValue(line, "<integer>", "</integer>");
}

bool HoldsTrue(std::string_view line) {
  return line.find("<true/>") != std::string_view::npos;
}

template <size_t N>
TrackKeyResult SetText(std::string_view line, char (&field)[N]) {
  if (const auto value = StringValue(line)) StoreText(field, LibraryText(*value));
  return TrackKeyResult::kKept;
}

// Sets an integer field through `store` when the line holds an integer value.
template <typename Store>
TrackKeyResult SetInteger(std::string_view line, Store store) {
  if (const auto value = IntegerText(line)) store(*value);
  return TrackKeyResult::kKept;
}

TrackKeyResult KindFilter(std::string_view line) {
  const auto value = StringValue(line);
  if (value && value->size() >= 3 && !value->starts_with("AAC")) return TrackKeyResult::kRejected;
  return TrackKeyResult::kKept;
}

TrackKeyResult TrackTypeFilter(std::string_view line) {
  const auto value = StringValue(line);
  if (value && *value != "File") return TrackKeyResult::kRejected;
  return TrackKeyResult::kKept;
}

TrackKeyResult SetLocation(std::string_view line, TTrackInfo& staging) {
  const auto value = StringValue(line);
  if (!value) return TrackKeyResult::kKept;
  // A path stays in the file system's own bytes: it is never converted to CP932.
  StoreBytes(staging.FileName, DecodeXmlEntities(FileUrlToPath(*value)));
  return TrackKeyResult::kLocationSet;
}

using KeyHandler = TrackKeyResult (*)(std::string_view line, TTrackInfo& track);

struct TrackKey {
  std::string_view key;
  KeyHandler apply;
};

// In the order they are tested.
constexpr std::array<TrackKey, 22> kTrackKeys{{
    {"<key>Name</key>", [](auto line, auto& t) { return SetText(line, t.Title); }},
    {"<key>Artist</key>", [](auto line, auto& t) { return SetText(line, t.Artist); }},
    {"<key>Composer</key>", [](auto line, auto& t) { return SetText(line, t.Writer); }},
    {"<key>Album</key>", [](auto line, auto& t) { return SetText(line, t.Album); }},
    {"<key>Grouping</key>", [](auto line, auto& t) { return SetText(line, t.Group); }},
    {"<key>Genre</key>", [](auto line, auto& t) { return SetText(line, t.Genre); }},
    {"<key>Kind</key>", [](auto line, auto&) { return KindFilter(line); }},
    {"<key>Size</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.FileSize = Integer64Value(v); });
     }},
    {"<key>Total Time</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.Time = IntegerValue(v) / 1000; });
     }},
    {"<key>Disc Number</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.DiskNo = Low16Bits(IntegerValue(v)); });
     }},
    {"<key>Disc Count</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.DiskTotal = Low16Bits(IntegerValue(v)); });
     }},
    {"<key>Track Number</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.TrackNo = Low16Bits(IntegerValue(v)); });
     }},
    {"<key>Track Count</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.TrackTotal = Low16Bits(IntegerValue(v)); });
     }},
    {"<key>Year</key>",
     [](auto line, auto& t) { return SetInteger(line, [&](auto v) { StoreBytes(t.Year, v); }); }},
    {"<key>BPM</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.Tempo = Low16Bits(IntegerValue(v)); });
     }},
    {"<key>Bit Rate</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) {
         // Kilobits to bits per second, wrapping as a 32-bit field does.
         t.BitRate = Low32Bits(int64_t{IntegerValue(v)} * 1000);
         t.AvgBitRate = t.BitRate;
       });
     }},
    {"<key>Sample Rate</key>",
     [](auto line, auto& t) {
       return SetInteger(line, [&](auto v) { t.SampleRate = IntegerValue(v); });
     }},
    {"<key>Disabled</key>",
     [](auto line, auto&) {
       return HoldsTrue(line) ? TrackKeyResult::kRejected : TrackKeyResult::kKept;
     }},
    {"<key>Comments</key>", [](auto line, auto& t) { return SetText(line, t.Comment); }},
    {"<key>Compilation</key>",
     [](auto line, auto& t) {
       if (HoldsTrue(line)) t.Compilation = 1;
       return TrackKeyResult::kKept;
     }},
    {"<key>Track Type</key>", [](auto line, auto&) { return TrackTypeFilter(line); }},
    {"<key>Location</key>", [](auto line, auto& t) { return SetLocation(line, t); }},
}};

}  // namespace

std::optional<std::string_view> TrackIdText(std::string_view line) {
  return IntegerText(line);
}

TrackKeyResult ApplyTrackKey(std::string_view line, TTrackInfo& staging) {
  // Every key line begins "<key>": other lines are passed over at once.
  if (!line.starts_with("<key>")) return TrackKeyResult::kKept;
  for (const TrackKey& key : kTrackKeys) {
    if (line.starts_with(key.key)) return key.apply(line, staging);
  }
  return TrackKeyResult::kKept;
}

}  // namespace tarvello
