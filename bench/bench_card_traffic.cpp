// What output runs cost a card that already holds most of the list, on a real block
// device with the card's own file systems: FAT32 (SDHC) through the vfat driver of
// User-Mode Linux, as the host's kernel has none; exFAT (SDXC) through exfat-fuse on a
// loop device; and ext4 on a loop device for comparison. The card's traffic is read from
// the device's sector counts (/sys/block/loopN/stat, /sys/block/ubda/stat inside UML)
// around each run, with the page cache dropped first; bytes are steady where times are
// not, and they are what a slow card pays for.
//
// - Later runs of a list of a few hundred songs, each adding 5 new ones in the middle,
//   with backup and verify on: the card's bytes read and written against the new songs'
//   bytes twice (written, read back) plus the management files, and the bytes of the new
//   (not hard-linked) files in the run's backup folder against the songs the run before
//   added.
// - A re-output of 1,000 songs with nothing changed, verify included, with warm caches.
//
// Needs root (losetup, mount, drop_caches), mkfs.ext4, mkfs.exfat and exfat-fuse,
// mkfs.vfat and User-Mode Linux; each card that cannot be made is skipped with its reason.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "output/output_run.h"
#include "platform/posix/posix_platform.h"
#include "silent_progress.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

using bench::SilentProgress;

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

std::string ShellOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    ::pclose(pipe);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// Bytes a block device has read and written so far, from its sector counts.
struct Traffic {
  int64_t read = 0;
  int64_t written = 0;
};

Traffic DeviceTraffic(const std::string& device) {
  std::ifstream stat("/sys/block/" + fs::path(device).filename().string() + "/stat");
  int64_t fields[7] = {};
  for (int64_t& field : fields) stat >> field;
  return {fields[2] * 512, fields[6] * 512};
}

// The card's file systems. ext4 and exFAT lie on an image on a loop device; FAT32 is the
// block device that User-Mode Linux was handed (ubda), since only its kernel has vfat.
enum class CardFs { kExt4, kExfatFuse, kFat32 };

// A card of `megabytes`, mounted below the working folder as a desktop mounts it;
// everything is undone at the end. `Problem()` says why it is not ready.
class Card {
 public:
  Card(const std::string& name, CardFs kind, int megabytes)
      : base_(fs::absolute("tarvello-card-" + name)) {
    fs::remove_all(base_);
    fs::create_directories(base_ / "mnt");
    if (kind == CardFs::kFat32) {
      device_ = "/dev/ubda";
      Mount("mount -t vfat -o utf8,shortname=mixed,flush " + device_, "the FAT32 card");
      return;
    }
    const std::string image = (base_ / "image").string();
    const std::string mkfs = kind == CardFs::kExt4 ? "mkfs.ext4 -F -q -b 4096 " : "mkfs.exfat ";
    if (!Shell("truncate -s " + std::to_string(megabytes) + "M " + image) ||
        !Shell(mkfs + image + " >/dev/null")) {
      problem_ = "the image could not be made (" + mkfs + ")";
      return;
    }
    device_ = ShellOutput("losetup -f --show " + image);
    if (device_.empty()) {
      problem_ = "no free loop device";
      return;
    }
    Mount(kind == CardFs::kExt4 ? "mount " + device_ : "mount.exfat-fuse " + device_,
          kind == CardFs::kExt4 ? "the ext4 image" : "the exFAT image (exfat-fuse)");
  }
  ~Card() {
    if (mounted_) Shell("umount " + Root());
    if (device_.rfind("/dev/loop", 0) == 0) Shell("losetup -d " + device_);
    fs::remove_all(base_);
  }
  Card(const Card&) = delete;
  Card& operator=(const Card&) = delete;

  const std::string& Problem() const { return problem_; }
  std::string Root() const { return (base_ / "mnt").string(); }
  Traffic Counted() const { return DeviceTraffic(device_); }

 private:
  void Mount(const std::string& command, const std::string& what) {
    mounted_ = Shell(command + " " + Root() + " >/dev/null");
    if (!mounted_) problem_ = what + " could not be mounted";
  }

  fs::path base_;
  std::string device_;
  bool mounted_ = false;
  std::string problem_;
};

void DropPageCache() {
  ::sync();
  std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

// Songs of distinct bytes, written once below the working folder.
class SongShelf {
 public:
  SongShelf(const std::string& name, size_t song_bytes)
      : folder_(fs::absolute("tarvello-songs-" + name)), song_bytes_(song_bytes) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  ~SongShelf() { fs::remove_all(folder_); }

  std::string Make() {
    const std::string path = (folder_ / ("song" + std::to_string(made_) + ".m4a")).string();
    std::mt19937_64 random(static_cast<uint64_t>(made_) * 7919 + 1);
    std::vector<uint64_t> block(64 * 1024 / sizeof(uint64_t));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t left = song_bytes_; left > 0;) {
      for (uint64_t& word : block) word = random();
      const size_t now = std::min(left, block.size() * sizeof(uint64_t));
      out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(now));
      left -= now;
    }
    ++made_;
    return path;
  }
  std::vector<std::string> Make(int count) {
    std::vector<std::string> songs;
    for (int i = 0; i < count; ++i) songs.push_back(Make());
    return songs;
  }

 private:
  fs::path folder_;
  size_t song_bytes_;
  int made_ = 0;
};

// The list, the program's folders and a run over the real system.
struct Runner {
  explicit Runner(const std::string& name)
      : home(fs::absolute("tarvello-home-" + name)),
        rows(NumberSymbols{",", "."}, MakeLocaleCollator()) {
    fs::remove_all(home);
  }
  ~Runner() { fs::remove_all(home); }

  // Adds songs at the end, or in the middle of the list.
  void List(const std::vector<std::string>& songs, bool middle) {
    const int first_new = rows.RowCount();
    for (const std::string& path : songs) {
      TTrackInfo track{};
      StoreText(track.Title, fs::path(path).stem().string());
      StoreText(track.FileName, path);
      const int index = table.TrackCount();
      table.StoreTrack(index, track);
      OutputTotals ignored;
      rows.BuildRows(index, index, table, ignored, 0);
    }
    if (!middle) return;
    std::vector<int> added;
    for (int row = first_new; row < rows.RowCount(); ++row) added.push_back(row);
    rows.MoveRows(added, first_new / 2);
  }

  OutputRunResult Run(const std::string& card_root) {
    OutputRunSettings settings;
    settings.folder = card_root + "/PRIVATE/AU/DF/D_SD";
    settings.backup_base = (home / "Backup/20261207").string();
    settings.hash_cache_folder = (home / "cache").string();
    return RunOutput(settings, rows, table, platform.Get(), temp_names, progress);
  }

  // Bytes of the files in `folder` that no other backup shares.
  static int64_t UnsharedBytes(const std::string& folder) {
    int64_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      struct stat info {};
      if (entry.is_regular_file() && ::stat(entry.path().c_str(), &info) == 0 &&
          info.st_nlink == 1) {
        bytes += info.st_size;
      }
    }
    return bytes;
  }

  fs::path home;
  PosixPlatform platform;
  TrackTable table;
  TrackList rows;
  TempNameCounter temp_names;
  SilentProgress progress;
};

bool Completed(benchmark::State& state, const OutputRunResult& result, const Runner& runner) {
  if (result.end == OutputRunEnd::kCompleted && result.verified) return true;
  state.SkipWithError(("the run did not complete: " + runner.progress.last_message).c_str());
  return false;
}

// The goal's list: 310 songs of 3.8 MB; each later run adds 5 in the middle.
constexpr int kListSongs = 310;
constexpr int kNewPerRun = 5;
constexpr size_t kSongBytes = 3800 * 1000;

// The third of three runs (the first fills the card, the second and third each add songs)
// and, with more iterations, the runs after it.
void LaterRunsAddingFiveSongs(benchmark::State& state, CardFs kind) {
  if (::geteuid() != 0) return state.SkipWithError("needs root to mount the card");
  Card card("traffic", kind, 2500);
  if (!card.Problem().empty()) return state.SkipWithError(card.Problem().c_str());
  SongShelf shelf("traffic", kSongBytes);
  Runner runner("traffic");
  runner.List(shelf.Make(kListSongs), false);
  for (int warm = 0; warm < 2; ++warm) {
    if (warm > 0) runner.List(shelf.Make(kNewPerRun), true);
    if (!Completed(state, runner.Run(card.Root()), runner)) return;
  }
  double card_ratio_worst = 0, backup_ratio_worst = 0, card_bytes = 0, backup_bytes = 0;
  Traffic last;
  for (auto _ : state) {
    state.PauseTiming();
    runner.List(shelf.Make(kNewPerRun), true);
    DropPageCache();
    const Traffic before = card.Counted();
    state.ResumeTiming();
    const OutputRunResult result = runner.Run(card.Root());
    state.PauseTiming();
    ::sync();
    const Traffic after = card.Counted();
    if (!Completed(state, result, runner)) return;
    const int64_t management =
        static_cast<int64_t>(fs::file_size(card.Root() + "/PRIVATE/AU/DF/D_SD/SD_F_000.MGR") *
                             ((runner.rows.RowCount() + 99) / 100));
    const double allowed = 2.0 * kNewPerRun * kSongBytes + static_cast<double>(management);
    const double moved =
        static_cast<double>(after.read - before.read + after.written - before.written);
    const double backed_up = static_cast<double>(Runner::UnsharedBytes(result.backup_folder));
    card_bytes = moved;
    last = {after.read - before.read, after.written - before.written};
    backup_bytes = backed_up;
    card_ratio_worst = std::max(card_ratio_worst, moved / allowed);
    backup_ratio_worst =
        std::max(backup_ratio_worst, backed_up / (kNewPerRun * double(kSongBytes)));
    state.ResumeTiming();
  }
  state.counters["card_MB_last"] = card_bytes / 1e6;
  state.counters["card_read_MB_last"] = static_cast<double>(last.read) / 1e6;
  state.counters["card_written_MB_last"] = static_cast<double>(last.written) / 1e6;
  state.counters["card_ratio_worst"] = card_ratio_worst;
  state.counters["backup_new_MB_last"] = backup_bytes / 1e6;
  state.counters["backup_ratio_worst"] = backup_ratio_worst;
}

void BM_LaterRunsAddingFiveSongs_Ext4(benchmark::State& state) {
  LaterRunsAddingFiveSongs(state, CardFs::kExt4);
}
BENCHMARK(BM_LaterRunsAddingFiveSongs_Ext4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

void BM_LaterRunsAddingFiveSongs_ExfatFuse(benchmark::State& state) {
  if (::access("/dev/fuse", R_OK | W_OK) != 0) return state.SkipWithError("no usable /dev/fuse");
  LaterRunsAddingFiveSongs(state, CardFs::kExfatFuse);
}
BENCHMARK(BM_LaterRunsAddingFiveSongs_ExfatFuse)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// A counter of Google Benchmark's JSON report, or -1.
double ReportedCounter(const std::string& report, const std::string& name) {
  std::smatch match;
  const std::regex pattern("\"" + name + "\": ([-0-9.eE+]+)");
  return std::regex_search(report, match, pattern) ? std::stod(match[1]) : -1;
}

// FAT32 is measured inside User-Mode Linux, whose kernel has the vfat driver: on the host
// this benchmark runs its own program again there, with a fresh FAT32 image as the block
// device ubda, and reports the counters measured inside.
void BM_LaterRunsAddingFiveSongs_Fat32(benchmark::State& state) {
  if (std::getenv("TARVELLO_BENCH_IN_UML") != nullptr) {
    return LaterRunsAddingFiveSongs(state, CardFs::kFat32);
  }
  const fs::path job = fs::absolute("tarvello-uml-traffic");
  fs::remove_all(job);
  fs::create_directories(job);
  const std::string image = (job / "card.img").string();
  if (!Shell("truncate -s 2500M " + image + " && mkfs.vfat -F 32 " + image + " >/dev/null")) {
    return state.SkipWithError("mkfs.vfat could not make the FAT32 image (package dosfstools)");
  }
  const std::string report_path = (job / "report.json").string();
  ::setenv("TARVELLO_UML_TIMEOUT", "7200", 0);
  const std::string command =
      std::string(TARVELLO_UML_RUN) + " " + job.string() + " " + image +
      " -- env TARVELLO_BENCH_IN_UML=1 " + fs::read_symlink("/proc/self/exe").string() +
      " '--benchmark_filter=^BM_LaterRunsAddingFiveSongs_Fat32/'" +
      " --benchmark_out=" + report_path + " >" + job.string() + "/run.log 2>&1";
  for (auto _ : state) {
    const int status = std::system(command.c_str());
    state.PauseTiming();
    std::stringstream report;
    report << std::ifstream(report_path).rdbuf();
    const std::string text = report.str();
    if (text.find("\"card_ratio_worst\"") == std::string::npos) {
      const std::string why = WIFEXITED(status) && WEXITSTATUS(status) == 77
                                  ? "User-Mode Linux cannot run here"
                                  : "no report from inside User-Mode Linux";
      state.SkipWithError((why + ", see " + job.string() + "/log and run.log").c_str());
      return;
    }
    for (const char* name : {"card_MB_last", "card_read_MB_last", "card_written_MB_last",
                             "card_ratio_worst", "backup_new_MB_last", "backup_ratio_worst"}) {
      state.counters[name] = ReportedCounter(text, name);
    }
    state.ResumeTiming();
  }
  fs::remove_all(job);
}
BENCHMARK(BM_LaterRunsAddingFiveSongs_Fat32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

constexpr int kNoChangeSongs = 1000;
constexpr size_t kNoChangeSongBytes = 1024 * 1024;

void BM_NoChangeReoutputOf1000Songs(benchmark::State& state) {
  if (::geteuid() != 0) return state.SkipWithError("needs root for the loop device");
  Card card("same", CardFs::kExt4, 2000);
  if (!card.Problem().empty()) return state.SkipWithError(card.Problem().c_str());
  SongShelf shelf("same", kNoChangeSongBytes);
  Runner runner("same");
  runner.List(shelf.Make(kNoChangeSongs), false);
  // Fill, then one re-output whose backup copies from the list's songs: the caches and the
  // backups are warm from then on.
  for (int warm = 0; warm < 2; ++warm) {
    if (!Completed(state, runner.Run(card.Root()), runner)) return;
  }
  for (auto _ : state) {
    if (!Completed(state, runner.Run(card.Root()), runner)) return;
  }
}
BENCHMARK(BM_NoChangeReoutputOf1000Songs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
