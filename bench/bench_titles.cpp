// Adding 10,000 songs whose tags are Latin names: each song's M4A bytes are read from
// memory and stored in a fresh table, so the text conversion weighs as much as it can
// against the rest of the adding. One set is plain ASCII, one carries accents, ligatures
// and special letters as a Western library does.

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_reader.h"
#include "catalogue/track_table.h"
#include "common/closest_cp932.h"
#include "common/cp932.h"
#include "common/memory_byte_file.h"

namespace {

namespace build = tarvello::testing;

constexpr int kSongCount = 10000;

constexpr std::array kPlainNames = {
    "Halo",         "Beyonce",        "Bjork",       "Sigur Ros",      "Motorhead",
    "Cafe del Mar", "Motley Crue",    "Blue Oyster", "Hyperballad",    "Ace of Spades",
    "Dr. Feelgood", "Svefn-g-englar", "Homogenic",   "Agaetis byrjun", "Dangerously in Love"};
constexpr std::array kAccentedNames = {
    "Halo",           "Beyoncé",        "Björk",       "Sigur Rós",     "Motörhead",
    "Café del Mar",   "Mötley Crüe",    "Blue Öyster", "Hyperballad",   "Ace of Spades",
    "Œuvre — Straße", "Svefn-g-englar", "Homogénic",   "Ágætis byrjun", "Łódź Ærø"};

template <size_t N>
std::vector<std::string> SongsNamed(const std::array<const char*, N>& names) {
  std::vector<std::string> songs;
  songs.reserve(kSongCount);
  for (int i = 0; i < kSongCount; ++i) {
    build::SongLayout layout;
    layout.items = {build::TextItem("\xA9nam", names[i % N]),
                    build::TextItem("\xA9"
                                    "ART",
                                    names[(i / N) % N]),
                    build::TextItem("\xA9"
                                    "alb",
                                    names[(i + 7) % N])};
    songs.push_back(build::BuildSong(layout));
  }
  return songs;
}

void AddSongs(benchmark::State& state, const std::vector<std::string>& songs) {
  for (auto _ : state) {
    auto table = std::make_unique<tarvello::TrackTable>();
    tarvello::TTrackInfo staging{};
    for (const std::string& song : songs) {
      tarvello::MemoryByteFile file(song);
      if (!tarvello::ReadM4aRecord(file, staging, "/music/song.m4a").Accepted() ||
          table->StoreTrack(table->TrackCount(), staging) != tarvello::StoreResult::kStored) {
        state.SkipWithError("a song was not added");
        return;
      }
    }
    benchmark::DoNotOptimize(table->TrackCount());
  }
}

void BM_AddPlainLatinNames(benchmark::State& state) {
  static const std::vector<std::string> songs = SongsNamed(kPlainNames);
  AddSongs(state, songs);
}
BENCHMARK(BM_AddPlainLatinNames)->Unit(benchmark::kMillisecond);

void BM_AddAccentedLatinNames(benchmark::State& state) {
  static const std::vector<std::string> songs = SongsNamed(kAccentedNames);
  AddSongs(state, songs);
}
BENCHMARK(BM_AddAccentedLatinNames)->Unit(benchmark::kMillisecond);

// The conversion alone, per set of names: text CP932 holds whole costs what the plain
// conversion costs; the accented names show what finding the closest forms adds.
void BM_Convert(benchmark::State& state, std::string (*convert)(std::string_view),
                const std::array<const char*, kPlainNames.size()>& names) {
  for (auto _ : state) {
    for (const char* name : names) benchmark::DoNotOptimize(convert(name));
  }
}
BENCHMARK_CAPTURE(BM_Convert, PlainCp932OfPlainNames, tarvello::Utf8ToCp932, kPlainNames);
BENCHMARK_CAPTURE(BM_Convert, ClosestCp932OfPlainNames, tarvello::Utf8ToClosestCp932, kPlainNames);
BENCHMARK_CAPTURE(BM_Convert, PlainCp932OfAccentedNames, tarvello::Utf8ToCp932, kAccentedNames);
BENCHMARK_CAPTURE(BM_Convert, ClosestCp932OfAccentedNames, tarvello::Utf8ToClosestCp932,
                  kAccentedNames);

}  // namespace

BENCHMARK_MAIN();
