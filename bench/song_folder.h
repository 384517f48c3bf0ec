#pragma once

// 1,000 copies of the accepted M4A fixtures in a fresh folder, and a console report that
// ends with how many times faster one benchmark is than its peer.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tarvello::bench {

inline constexpr int kSongCount = 1000;

class SongFolder {
 public:
  SongFolder() {
    char pattern[] = "/tmp/tarvello-bench-m4a-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    folder_ = pattern;
    const std::vector<std::string> sources = {"tagged.m4a", "japanese.m4a", "faststart.m4a"};
    for (int i = 0; i < kSongCount; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/song_%04d.m4a", i);
      const std::string source = std::string(TARVELLO_TEST_DATA) + "/m4a/" + sources[i % 3];
      std::filesystem::copy_file(source, folder_ + name);
      paths_.push_back(folder_ + name);
    }
  }
  ~SongFolder() { std::filesystem::remove_all(folder_); }
  SongFolder(const SongFolder&) = delete;
  SongFolder& operator=(const SongFolder&) = delete;

  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::string folder_;
  std::vector<std::string> paths_;
};

inline const SongFolder& Songs() {
  static const SongFolder songs;
  return songs;
}

// Prints the usual table, then how many times faster `ours` is than `peer` (and so for
// each further pair added).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter(std::string ours, std::string peer, std::string what) {
    AddPair(std::move(ours), std::move(peer), std::move(what));
  }
  void AddPair(std::string ours, std::string peer, std::string what) {
    pairs_.push_back({std::move(ours), std::move(peer), std::move(what)});
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
        times_[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const Pair& pair : pairs_) {
      const auto ours = times_.find(pair.ours);
      const auto peer = times_.find(pair.peer);
      if (ours != times_.end() && peer != times_.end() && ours->second > 0) {
        std::printf("%s is %.1f times faster %s than %s\n", pair.ours.c_str(),
                    peer->second / ours->second, pair.what.c_str(), pair.peer.c_str());
      }
    }
  }

 private:
  struct Pair {
    std::string ours;
    std::string peer;
    std::string what;
  };
  std::vector<Pair> pairs_;
  std::map<std::string, double> times_;
};

}  // namespace tarvello::bench
