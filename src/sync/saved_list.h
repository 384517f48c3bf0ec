#pragma once

// The window's current list as a card source: its marked songs saved as an M3U8 file in
// the program's data folder, one file per card.

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sync/card_profile.h"

namespace tarvello {

// Writes `song_paths` (native paths, in list order) as an extended M3U8 to
// `data_folder`/card-lists/<volume>.m3u8, replacing what the card's list held, and
// returns the source naming it. nullopt when the file could not be written.
std::optional<CardSource> SaveMarkedList(FileSystem& files, const std::string& data_folder,
                                         const std::string& volume,
                                         const std::vector<std::string>& song_paths);

}  // namespace tarvello
