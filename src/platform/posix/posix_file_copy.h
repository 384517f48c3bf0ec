#pragma once

// Copies the rest of one open file into another.

namespace tarvello {

// Copies from `in` to `out` until the end of `in`, starting at both files' current
// offsets; false on an error.
bool CopyFileContents(int in, int out);

}  // namespace tarvello
