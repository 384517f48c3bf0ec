#pragma once

// Checks for command-line arguments that are texts (titles, prefixes, folder names on the
// card) rather than paths: they are converted to CP932, so they must be UTF-8. Paths are
// native bytes and are passed on unchecked.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// Refuses an argument that is not well-formed UTF-8 (a bad-argument exit).
const CLI::Validator& Utf8Text();

}  // namespace tarvello::cli
