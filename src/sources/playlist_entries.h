#pragma once

// The ordered entries every playlist reader returns, whatever the format, so that one
// adding path serves them all.

#include <string>
#include <string_view>
#include <vector>

namespace tarvello {

enum class EntryKind {
  kFile,         // a native path, to be added as the add command adds a file
  kNetwork,      // an http:, https: or other network address
  kWindowsPath,  // a drive-letter or UNC path, which names nothing here
};

struct PlaylistEntry {
  EntryKind kind = EntryKind::kFile;
  std::string path;  // kFile: the native path; otherwise the location as written
};

using PlaylistEntries = std::vector<PlaylistEntry>;

// What a reader got out of a file: the entries it could read, in order, and whether the
// file ended in the middle of its structure (broken XML, for one).
struct PlaylistReading {
  PlaylistEntries entries;
  bool damaged = false;
};

// How a reader's locations are taken.
enum class LocationStyle {
  kPath,  // a path or a file: URL (M3U, PLS, MPD): relative paths are not unescaped
  kUri,   // a URI reference (XSPF, Rhythmbox): relative ones are percent-decoded too
};

// One location as a playlist writes it, resolved against `base_folder` (no trailing "/")
// when it is relative. Blank text gives an entry with an empty path; callers drop those.
PlaylistEntry ResolveLocation(std::string_view location, const std::string& base_folder,
                              LocationStyle style);

// Where the first line of `text` ends: the position of its first CR or LF, npos when it
// has none. One pass over the bytes, however long the line.
size_t LineEnd(std::string_view text);

// The folder of a file's path, without a trailing "/" ("/" for a file in the root, "."
// for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace tarvello
