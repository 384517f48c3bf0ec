#pragma once

// Many Japanese taggers wrote Shift-JIS bytes into ID3 frames that say ISO-8859-1, and
// FFmpeg, as it must, reads those bytes as Latin-1 characters. This takes such text back.

#include <string>

#include "convert/song_tags.h"

namespace tarvello {

// `utf8` itself unless it is such a misreading: every character is Latin-1, the bytes
// those characters stand for are well-formed CP932, and at least one double-byte character
// has a trail byte of 0x80 or more. Text that really is Latin-1 (or Windows-1252 read as
// Latin-1) puts an accented letter or a quotation mark before an ASCII letter or a blank,
// which fails one of the two tests; Japanese text nearly always has kana or kanji that
// pass them. Then the CP932 reading, as UTF-8.
std::string RepairMisreadShiftJis(const std::string& utf8);

// The same for every text of `tags`.
void RepairMisreadShiftJis(SongTags& tags);

}  // namespace tarvello
