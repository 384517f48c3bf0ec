#pragma once

// tarvello-cli's song-source subcommands: what each source of the window would list, as
// JSON lines. Each registers itself from its own file.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// playlists LIBRARY: one line per playlist, "name" and "track_ids".
void AddPlaylistsCommand(CLI::App& app, int& exit_status);
// playlist LIBRARY NAME: the records an import of that playlist adds to an empty list.
void AddPlaylistCommand(CLI::App& app, int& exit_status);
// tracklist FILE: the records an XML or RMP track list adds.
void AddTracklistCommand(CLI::App& app, int& exit_status);
// folder DIR: the records an import of DIR as the output folder lists.
void AddFolderCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
