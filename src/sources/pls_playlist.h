#pragma once

// PLS playlists: an INI text whose "[playlist]" section holds "FileN", "TitleN" and
// "LengthN" keys and "NumberOfEntries". The files are taken in the order of N.

#include <string>
#include <string_view>

#include "sources/playlist_entries.h"

namespace tarvello {

// True when the first line that is not blank is "[playlist]" (in any case).
bool LooksLikePls(std::string_view text);

// The entries of a PLS text (UTF-8), relative paths taken from `base_folder`. Keys are
// matched without regard to case; a number given twice keeps its last file. Keys outside
// the "[playlist]" section are ignored.
PlaylistEntries ReadPls(std::string_view text, const std::string& base_folder);

}  // namespace tarvello
