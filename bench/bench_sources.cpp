// The song sources on a generated 120 MB music library: the playlist scanner against
// libxml2's streaming reader and a bare line count in the same program, tarvello-cli
// playlists as a whole process, a 2,000-track playlist import, and the import of an
// output folder of 2,000 songs.
//
// The library is made by bench/make_library.py on the first run (TARVELLO_BENCH_LIBRARY
// names another one).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libxml/xmlreader.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "sources/library_playlists.h"
#include "sources/output_folder_import.h"
#include "sources/playlist_import.h"

extern char** environ;

namespace tarvello {
namespace {

namespace fs = std::filesystem;

const std::string& LibraryPath() {
  static const std::string path = [] {
    if (const char* given = std::getenv("TARVELLO_BENCH_LIBRARY")) return std::string(given);
    const std::string made = fs::temp_directory_path() / "tarvello-bench-library.xml";
    if (!fs::exists(made)) {
      const std::string command =
          "python3 '" TARVELLO_SOURCE_DIR "/bench/make_library.py' '" + made + "'";
      if (std::system(command.c_str()) != 0) throw std::runtime_error("make_library.py failed");
    }
    return made;
  }();
  return path;
}

int64_t LibrarySize() {
  return static_cast<int64_t>(fs::file_size(LibraryPath()));
}

void BM_LoadPlaylists(benchmark::State& state) {
  PosixFileSystem files;
  size_t playlists = 0;
  for (auto _ : state) {
    const std::unique_ptr<ByteFile> file = files.OpenRead(LibraryPath());
    playlists = ScanPlaylists(*file).names.size();
    benchmark::DoNotOptimize(playlists);
  }
  state.counters["playlists"] = static_cast<double>(playlists);
  state.SetBytesProcessed(state.iterations() * LibrarySize());
}
BENCHMARK(BM_LoadPlaylists)->Unit(benchmark::kMillisecond);

// The peer: libxml2's streaming reader over the same file, counting the keys.
void BM_Libxml2StreamingKeys(benchmark::State& state) {
  size_t keys = 0;
  for (auto _ : state) {
    keys = 0;
    xmlTextReaderPtr reader = xmlReaderForFile(LibraryPath().c_str(), nullptr, XML_PARSE_NONET);
    if (reader == nullptr) throw std::runtime_error("libxml2 cannot open the library");
    while (xmlTextReaderRead(reader) == 1) {
      if (xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT &&
          std::strcmp(reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader)), "key") ==
              0) {
        ++keys;
      }
    }
    xmlFreeTextReader(reader);
    benchmark::DoNotOptimize(keys);
  }
  state.counters["keys"] = static_cast<double>(keys);
  state.SetBytesProcessed(state.iterations() * LibrarySize());
}
BENCHMARK(BM_Libxml2StreamingKeys)->Unit(benchmark::kMillisecond);

// The floor: reading the file and counting its lines with memchr.
void BM_MemchrLineCount(benchmark::State& state) {
  std::vector<char> block(size_t{1} << 20);
  for (auto _ : state) {
    std::ifstream in(LibraryPath(), std::ios::binary);
    size_t lines = 0;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
      const char* at = block.data();
      const char* end = at + in.gcount();
      while ((at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr) {
        ++lines;
        ++at;
      }
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(state.iterations() * LibrarySize());
}
BENCHMARK(BM_MemchrLineCount)->Unit(benchmark::kMillisecond);

int RunQuietly(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + arguments[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

void BM_CliPlaylistsProcess(benchmark::State& state) {
  for (auto _ : state) {
    if (RunQuietly({TARVELLO_CLI_PATH, "playlists", LibraryPath()}) != 0) {
      state.SkipWithError("tarvello-cli playlists failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * LibrarySize());
}
BENCHMARK(BM_CliPlaylistsProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportPlaylist2000(benchmark::State& state) {
  PosixFileSystem files;
  std::string entry;
  {
    const std::unique_ptr<ByteFile> file = files.OpenRead(LibraryPath());
    const PlaylistCatalogue catalogue = ScanPlaylists(*file);
    for (size_t i = 0; i < catalogue.names.size(); ++i) {
      if (catalogue.names[i] == "Import 2000") entry = catalogue.track_ids[i];
    }
  }
  if (entry.empty()) {
    state.SkipWithError("the library has no playlist \"Import 2000\"");
    return;
  }
  int32_t added = 0;
  for (auto _ : state) {
    TrackTable table;
    TTrackInfo staging{};
    std::vector<std::string> track_id_list;
    ImportPlaylistTracks(files, LibraryPath(), entry, table, staging, track_id_list);
    added = table.TrackCount();
  }
  state.counters["songs"] = added;
}
BENCHMARK(BM_ImportPlaylist2000)->Unit(benchmark::kMillisecond);

// An output folder of 2,000 real songs (copies of a small test file), read warm.
void BM_ImportOutputFolder2000(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "tarvello-bench-folder";
  const std::string song = TARVELLO_SOURCE_DIR "/tests/data/m4a/tagged.m4a";
  if (!fs::exists(folder / "SDS_1999.3G2")) {
    fs::create_directories(folder);
    for (int i = 0; i < 2000; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "SDS_%04d.3G2", i);
      fs::copy_file(song, folder / name, fs::copy_options::overwrite_existing);
    }
  }
  PosixFileSystem files;
  TempNameCounter temp_names;
  int32_t songs = 0;
  for (auto _ : state) {
    TrackTable table;
    TTrackInfo staging{};
    ReadFolderSongs(files, temp_names, fs::temp_directory_path().string() + "/", folder.string(),
                    table, staging);
    songs = table.TrackCount();
  }
  state.counters["songs"] = songs;
}
BENCHMARK(BM_ImportOutputFolder2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
