#pragma once

// Copies the rest of one open file into another.

#include "platform/content_hash.h"

namespace tarvello {

// Copies from `in` to `out` until the end of `in`, starting at both files' current
// offsets; false on an error.
bool CopyFileContents(int in, int out);

// The same through a buffer, adding every byte copied to `hasher`.
bool CopyFileContentsHashing(int in, int out, ContentHasher& hasher);

}  // namespace tarvello
