// The read-back after writing against cmp: 100 songs of 5 MB, the page cache of every file
// dropped before each pass, so both read from the disk. The read-back reads only the
// card's copy (the source's hash was taken while copying); cmp reads both files.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "output/card_verify.h"
#include "platform/posix/posix_file_system.h"
#include "silent_progress.h"

extern char** environ;

namespace tarvello {
namespace {

constexpr int kSongs = 100;
constexpr size_t kSongBytes = 5 << 20;

// Songs and their copies on the disk (not tmpfs: its pages cannot be dropped).
class SongPairs {
 public:
  SongPairs() {
    char pattern[] = "/var/tmp/tarvello-bench-verify-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    folder_ = pattern;
    std::mt19937_64 random(1);
    std::string bytes(kSongBytes, '\0');
    PosixFileSystem files;
    for (int song = 0; song < kSongs; ++song) {
      for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        const uint64_t word = random();
        std::memcpy(bytes.data() + i, &word, 8);
      }
      const std::string source = folder_ + "/source_" + std::to_string(song);
      const std::string card = folder_ + "/card_" + std::to_string(song);
      files.WriteWholeFile(source, bytes);
      const auto hash = files.CopyFileHashing(source, card);
      written_.push_back({card, source, hash});
      sources_.push_back(source);
    }
    ::sync();
  }
  ~SongPairs() { std::filesystem::remove_all(folder_); }

  // Drops every file's cached pages (they are clean after the sync).
  void DropCaches() const {
    ::sync();
    for (const WrittenFile& file : written_) {
      for (const std::string& path : {file.path, file.label}) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
      }
    }
  }

  const std::vector<WrittenFile>& written() const { return written_; }

 private:
  std::string folder_;
  std::vector<WrittenFile> written_;  // label: the source
  std::vector<std::string> sources_;
};

SongPairs& Pairs() {
  static SongPairs pairs;
  return pairs;
}

void BM_ReadBack(benchmark::State& state) {
  PosixFileSystem files;
  bench::SilentProgress progress;
  for (auto _ : state) {
    state.PauseTiming();
    Pairs().DropCaches();
    state.ResumeTiming();
    const VerifyResult result = VerifyWrittenFiles(files, Pairs().written(), progress);
    if (!result.mismatched.empty()) state.SkipWithError("the copies differ");
  }
  state.SetBytesProcessed(state.iterations() * kSongs * static_cast<int64_t>(kSongBytes));
}
BENCHMARK(BM_ReadBack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int RunCmp(const std::string& a, const std::string& b) {
  std::vector<char*> argv = {const_cast<char*>("cmp"), const_cast<char*>("-s"),
                             const_cast<char*>(a.c_str()), const_cast<char*>(b.c_str()), nullptr};
  pid_t child = 0;
  if (::posix_spawnp(&child, "cmp", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_Cmp(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Pairs().DropCaches();
    state.ResumeTiming();
    for (const WrittenFile& file : Pairs().written()) {
      if (RunCmp(file.label, file.path) != 0) state.SkipWithError("cmp failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * kSongs * static_cast<int64_t>(kSongBytes));
}
BENCHMARK(BM_Cmp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
