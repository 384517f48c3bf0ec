#pragma once

// A library folder of 10,000 small accepted M4A songs in 100 album folders, made once in
// $TMPDIR and kept for the next run. The songs are hard links to the test fixtures (copies
// where links are not possible).

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarvello::bench {

inline constexpr int kLibraryAlbums = 100;
inline constexpr int kLibrarySongsPerAlbum = 100;
inline constexpr int kLibrarySongs = kLibraryAlbums * kLibrarySongsPerAlbum;

inline std::string LibraryFolder() {
  namespace fs = std::filesystem;
  const char* temp = std::getenv("TMPDIR");
  const std::string folder =
      std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/tarvello-bench-library";
  // Hidden, so the walk passes it over.
  const std::string complete = folder + "/.complete";
  if (fs::exists(complete)) return folder;
  fs::remove_all(folder);
  const char* sources[] = {"tagged.m4a", "japanese.m4a", "faststart.m4a"};
  for (int album = 1; album <= kLibraryAlbums; ++album) {
    const std::string album_folder = folder + "/Album " + std::to_string(album);
    fs::create_directories(album_folder);
    for (int song = 1; song <= kLibrarySongsPerAlbum; ++song) {
      const std::string source = std::string(TARVELLO_TEST_DATA) + "/m4a/" + sources[song % 3];
      const std::string target = album_folder + "/" + std::to_string(song) + " song.m4a";
      std::error_code error;
      fs::create_hard_link(source, target, error);
      if (error) fs::copy_file(source, target);
    }
    std::ofstream(album_folder + "/cover.jpg") << "jpeg";
  }
  std::ofstream(complete) << "10000 songs\n";
  return folder;
}

}  // namespace tarvello::bench
