#pragma once

// tarvello-cli's song-source subcommands: what each source of the window would list, as
// JSON lines. Each registers itself from its own file.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// playlists LIBRARY: one line per playlist, "name" and "track_ids".
void AddPlaylistsCommand(CLI::App& app, int& exit_status);
// playlist LIBRARY NAME: the records an import of that playlist adds to an empty list;
// playlist --player PLAYER NAME: the same for a music player's playlist.
void AddPlaylistCommand(CLI::App& app, int& exit_status);
// tracklist FILE: the records an XML or RMP track list or a playlist file adds.
void AddTracklistCommand(CLI::App& app, int& exit_status);
// players: the music players' playlists, one line each.
void AddPlayersCommand(CLI::App& app, int& exit_status);
// folder DIR: the records an import of DIR as the output folder lists.
void AddFolderCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
