#pragma once

// Writes music library files the way library applications lay them out: an XML
// declaration, a property-list doctype, a tracks dictionary of track dictionaries and a
// playlists array, indented with tabs or blanks, with LF or CR LF line ends.

#include <string>
#include <utility>
#include <vector>

namespace tarvello::testing {

struct LibraryTrack {
  LibraryTrack(int track_id, std::string track_name, std::string track_kind = "AAC audio file",
               std::string track_location = {}, std::vector<std::string> extra_lines = {})
      : id(track_id),
        name(std::move(track_name)),
        kind(std::move(track_kind)),
        location(std::move(track_location)),
        extra(std::move(extra_lines)) {}

  int id = 0;
  std::string name;
  std::string kind;
  std::string location;            // empty: no Location key (a streamed track)
  std::vector<std::string> extra;  // more key lines, written as they are
};

struct LibraryPlaylist {
  std::string name;
  std::vector<int> ids;
  bool items = true;  // false: no items array at all
};

struct LibraryLayout {
  std::string indent = "\t";
  std::string line_end = "\n";
};

inline std::string BuildLibrary(const std::vector<LibraryTrack>& tracks,
                                const std::vector<LibraryPlaylist>& playlists,
                                const LibraryLayout& layout = {}) {
  std::string out;
  const auto line = [&](int depth, const std::string& text) {
    for (int i = 0; i < depth; ++i) out += layout.indent;
    out += text + layout.line_end;
  };
  line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  line(0,
       "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
  line(0, "<plist version=\"1.0\">");
  line(0, "<dict>");
  line(1, "<key>Major Version</key><integer>1</integer>");
  line(1, "<key>Tracks</key>");
  line(1, "<dict>");
  for (const LibraryTrack& track : tracks) {
    line(2, "<key>" + std::to_string(track.id) + "</key>");
    line(2, "<dict>");
    line(3, "<key>Track ID</key><integer>" + std::to_string(track.id) + "</integer>");
    line(3, "<key>Name</key><string>" + track.name + "</string>");
    line(3, "<key>Kind</key><string>" + track.kind + "</string>");
    for (const std::string& extra : track.extra) line(3, extra);
    line(3, "<key>Track Type</key><string>File</string>");
    if (!track.location.empty())
      line(3, "<key>Location</key><string>" + track.location + "</string>");
    line(2, "</dict>");
  }
  line(1, "</dict>");
  line(1, "<key>Playlists</key>");
  line(1, "<array>");
  for (const LibraryPlaylist& playlist : playlists) {
    line(2, "<dict>");
    line(3, "<key>Name</key><string>" + playlist.name + "</string>");
    line(3, "<key>Playlist ID</key><integer>900</integer>");
    if (playlist.items) {
      line(3, "<key>Playlist Items</key>");
      line(3, "<array>");
      for (int id : playlist.ids) {
        line(4, "<dict>");
        line(5, "<key>Track ID</key><integer>" + std::to_string(id) + "</integer>");
        line(4, "</dict>");
      }
      line(3, "</array>");
    }
    line(2, "</dict>");
  }
  line(1, "</array>");
  line(0, "</dict>");
  line(0, "</plist>");
  return out;
}

}  // namespace tarvello::testing
