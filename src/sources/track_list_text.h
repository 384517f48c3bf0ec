#pragma once

// How the text of an RMP package is taken. Its values are in CP932 as the phone's tools
// write them, unless the whole file is UTF-8 with multi-byte characters, as a package
// written on a UTF-8 desktop is.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvello {

enum class ListEncoding { kCp932, kUtf8 };

// Reads the file from its start to its end: kUtf8 when its bytes are well-formed UTF-8 and
// hold at least one multi-byte character; kCp932 otherwise (pure ASCII reads the same
// either way). Leaves the position at the end.
ListEncoding DetectListEncoding(ByteFile& file);

// A value for a record's text field: CP932 bytes, in their closest CP932 form when the
// list is UTF-8.
std::string ListTextToCp932(std::string_view value, ListEncoding encoding);

// A file name as written in the list, as a native path (UTF-8).
std::string ListPathToNative(std::string_view value, ListEncoding encoding);

}  // namespace tarvello
