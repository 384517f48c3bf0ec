// tarvello-convert: probes, remuxes and encodes songs for Tarvello and tarvello-cli, which
// start it with a socket on its standard input and output. It is the only program that
// loads FFmpeg's libraries, so a decoder that crashes or hangs costs one song, never the
// window. Before it reads any song it gives up, where the kernel offers Landlock, the
// right to write anywhere but in the cache folder.
//
// tarvello-convert --cache FOLDER

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "convert/helper/helper_server.h"
#include "platform/landlock.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::string_view(argv[1]) != "--cache") {
    std::fprintf(stderr, "usage: %s --cache FOLDER\n", argv[0]);
    return 2;
  }
  const std::string cache = argv[2];
  std::error_code error;
  std::filesystem::create_directories(cache, error);
  std::string why;
  const std::string sandbox =
      tarvello::AllowWritingOnlyBelow(cache, why) ? "landlock" : "none: " + why;
  return tarvello::ServeConversions(STDIN_FILENO, STDOUT_FILENO, sandbox);
}
