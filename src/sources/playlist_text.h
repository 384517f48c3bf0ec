#pragma once

// The text of a playlist file as UTF-8, whatever charset its writer used.

#include <string>
#include <string_view>

namespace tarvello {

// `bytes` without a leading UTF-8 byte order mark, as UTF-8. Text that is well-formed
// UTF-8, or that `utf8_declared` says is UTF-8 (an .m3u8), is taken as UTF-8, broken
// sequences becoming U+FFFD. Anything else goes through ICU's charset detection; a list
// detected as Shift_JIS is read as Windows' CP932, which Japanese lists are written in.
// Text that no charset fits is read as ISO-8859-1, so that every byte gives a character.
std::string PlaylistTextToUtf8(std::string_view bytes, bool utf8_declared);

// `bytes` without a leading UTF-8 byte order mark.
std::string_view WithoutByteOrderMark(std::string_view bytes);

}  // namespace tarvello
