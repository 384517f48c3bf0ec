#pragma once

// The card's output folder as a song source: its files that the M4A reader accepts, in
// the order the file system lists them.

#include <string>

#include "catalogue/track_table.h"
#include "common/common_routine.h"
#include "platform/platform.h"
#include "sources/pending_tracks.h"

namespace tarvello {

inline constexpr const char* kConfirmFolderImport =
    "出力先フォルダの内容を取り込みます.\r\n現在の曲一覧は出力先フォルダの内容に置き換えられます."
    "\r\n\r\n"
    "出力先の内容を取り込みますか？";

// Appends the songs of `folder` (a native path without a trailing "/") to `table`. Hidden
// and system files and folders are passed over; a file that cannot be read or is no song is
// left out without a message. Locked files are read through a temporary copy in
// `temp_folder`, deleted afterwards. The song limit and running out of memory end the
// listing with their message.
SourceMessages ReadFolderSongs(FileSystem& files, TempNameCounter& temp_names,
                               const std::string& temp_folder, const std::string& folder,
                               TrackTable& table, TTrackInfo& staging);

}  // namespace tarvello
