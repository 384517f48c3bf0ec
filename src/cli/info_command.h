#pragma once

// tarvello-cli info FILE...: what the M4A reader stores for each file, as JSON lines.

namespace tarvello::cli {

// `argv` holds the `argc` arguments after "info". Returns the exit status: 0 when every file was
// accepted, 1 otherwise, 2 without files.
int RunInfoCommand(int argc, char** argv);

}  // namespace tarvello::cli
