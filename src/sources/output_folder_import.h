#pragma once

// The card's output folder as a song source: its files that the M4A reader accepts, in
// name order, which is the order of a card folder that the output run wrote.

#include <string>
#include <vector>

#include "catalogue/track_table.h"
#include "common/common_routine.h"
#include "platform/platform.h"
#include "sources/pending_tracks.h"

namespace tarvello {

inline constexpr const char* kConfirmFolderImport =
    "出力先フォルダの内容を取り込みます.\r\n現在の曲一覧は出力先フォルダの内容に置き換えられます."
    "\r\n\r\n"
    "出力先の内容を取り込みますか？";

// Heads the one message that lists the songs whose reading failed part-way.
inline constexpr const char* kFolderReadErrorsMessage =
    "次のファイルは読み込みの途中でエラーになりました.\r\n"
    "曲一覧には読めたところまでの曲情報で残してあります.";
// The message lists at most this many files and counts the rest.
inline constexpr size_t kMaxListedReadErrors = 20;

struct FolderSongs {
  // Information boxes, in order: the song limit or running out of memory, then the list of
  // read errors.
  SourceMessages messages;
  // The songs whose reading failed part-way, listed with what was read of them.
  std::vector<std::string> read_errors;
};

// Appends the songs of `folder` (a native path without a trailing "/") to `table`, in the
// byte order of their names. Hidden and system files and folders are passed over; a file
// that cannot be opened or that the M4A walk refuses is left out without a message. A file
// whose reading fails part-way stays listed with what was read of it, so that an output run
// keeps it, and is named in one message. Locked files are read through a temporary copy in
// `temp_folder`, deleted afterwards. The song limit and running out of memory end the
// listing with their message.
FolderSongs ReadFolderSongs(FileSystem& files, TempNameCounter& temp_names,
                            const std::string& temp_folder, const std::string& folder,
                            TrackTable& table, TTrackInfo& staging);

}  // namespace tarvello
