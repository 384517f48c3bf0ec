#include "sources/rhythmbox_playlists.h"

#include "sources/xml_stream.h"

namespace tarvello {
namespace {

// Calls `on_playlist(name, key)` for each static playlist's start and `on_location(key,
// text)` for each of its locations; stops when either returns false. True when the
// text was read to its end.
template <typename OnPlaylist, typename OnLocation>
bool WalkStaticPlaylists(std::string_view bytes, OnPlaylist&& on_playlist,
                         OnLocation&& on_location) {
  XmlStream xml(bytes);
  int64_t key = -1;
  bool in_static = false;
  bool root_seen = false;
  while (xml.NextElement()) {
    if (!xml.IsStart()) {
      if (xml.LocalName() == "playlist" && xml.Depth() == 1) in_static = false;
      continue;
    }
    if (xml.Depth() == 0) {
      if (xml.LocalName() != "rhythmdb-playlists") return false;
      root_seen = true;
    } else if (xml.Depth() == 1 && xml.LocalName() == "playlist") {
      in_static = xml.Attribute("type").value_or("") == "static";
      if (!in_static) continue;
      ++key;
      if (!on_playlist(xml.Attribute("name").value_or(""), key)) return true;
      if (xml.IsEmptyElement()) in_static = false;
    } else if (in_static && xml.Depth() == 2 && xml.LocalName() == "location") {
      if (!on_location(key, xml.Text())) return true;
    }
  }
  return root_seen && !xml.Damaged();
}

}  // namespace

PlayerListing ListRhythmboxPlaylists(std::string_view bytes) {
  PlayerListing listing;
  const bool whole = WalkStaticPlaylists(
      bytes,
      [&](const std::string& name, int64_t key) {
        listing.playlists.push_back({name, key, 0});
        return true;
      },
      [&](int64_t, const std::string&) {
        ++listing.playlists.back().entries;
        return true;
      });
  if (!whole) listing.problem = "not a Rhythmbox playlists file, or damaged";
  return listing;
}

PlaylistReading ReadRhythmboxPlaylist(std::string_view bytes, int64_t key) {
  PlaylistReading reading;
  bool passed = false;
  const bool whole = WalkStaticPlaylists(
      bytes, [&](const std::string&, int64_t at) { return !(passed = at > key); },
      [&](int64_t at, const std::string& location) {
        if (at != key) return true;
        PlaylistEntry entry = ResolveLocation(location, "/", LocationStyle::kUri);
        if (!entry.path.empty()) reading.entries.push_back(std::move(entry));
        return true;
      });
  reading.damaged = !whole && !passed;
  return reading;
}

}  // namespace tarvello
