#include "sources/xspf_playlist.h"

#include "sources/xml_stream.h"

namespace tarvello {

bool LooksLikeXspf(std::string_view bytes) {
  const std::string_view head = bytes.substr(0, 4096);
  return head.find("<playlist") != std::string_view::npos &&
         head.find("http://xspf.org/ns/0/") != std::string_view::npos;
}

PlaylistReading ReadXspf(std::string_view bytes, const std::string& base_folder) {
  PlaylistReading reading;
  XmlStream xml(bytes);
  // Depth of the open <track>, -1 outside one; whether it has given its location.
  int track_depth = -1;
  bool located = false;
  while (xml.NextElement()) {
    const std::string_view name = xml.LocalName();
    if (!xml.IsStart()) {
      if (name == "track" && xml.Depth() == track_depth) track_depth = -1;
      continue;
    }
    if (name == "track" && track_depth < 0) {
      if (xml.IsEmptyElement()) continue;  // <track/> has no end tag to close it
      track_depth = xml.Depth();
      located = false;
    } else if (name == "location" && track_depth >= 0 && xml.Depth() == track_depth + 1 &&
               !located) {
      located = true;
      PlaylistEntry entry = ResolveLocation(xml.Text(), base_folder, LocationStyle::kUri);
      if (!entry.path.empty()) reading.entries.push_back(std::move(entry));
    }
  }
  reading.damaged = xml.Damaged();
  return reading;
}

}  // namespace tarvello
