#pragma once

// What an update of a card works with: the system, the conversions and where things are
// remembered. The window and tarvello-cli each make one over their own state.

#include <string>

#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "platform/platform.h"
#include "sources/player_discovery.h"

namespace tarvello {

struct SyncContext {
  Platform& platform;
  ConvertCache& cache;
  // Makes the pool that converts and re-encodes; empty: the helper processes. Tests
  // script their own.
  ConvertJobsMaker make_jobs = {};
  bool convert = true;  // conversion on: files the M4A reader refuses are converted
  // Where the output run remembers hashes; empty: nothing is remembered.
  std::string hash_cache_folder = {};
  // Where the music players keep their playlists.
  PlayerFolders players = {};
  std::string temp_folder = {};  // for copies of locked files; ends with "/"
  // The output options of the program, for what a profile leaves to it.
  TOutputOptions program_options = {};
};

}  // namespace tarvello
