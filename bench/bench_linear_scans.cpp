// Crafted inputs that once made the library scanners quadratic, grown from 1 MB to 8 MB:
// the time must grow in a straight line (the complexity report fits O(N) and prints its
// RMS error).
//
// - One long line that repeats the playlists key after other text: the key search must not
//   go back to the line's start at every match.
// - The same after a long run of blanks.
// - A playlist of track IDs that are all multiples of the bucket count a hash table of the
//   tracks would have: looking them up must not walk one long chain.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/memory_byte_file.h"
#include "sources/library_playlists.h"
#include "sources/pending_tracks.h"
#include "sources/playlist_import.h"

namespace tarvello {
namespace {

constexpr int64_t kSmallest = int64_t{1} << 20;
constexpr int64_t kLargest = int64_t{8} << 20;
constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kPlaylistsKey = "<key>Playlists</key>";

// A library whose second line is `start` followed by the playlists key over and over, to
// `size` bytes in all.
std::string LongKeyLine(std::string_view start, int64_t size) {
  std::string bytes(kDeclaration);
  bytes += start;
  while (static_cast<int64_t>(bytes.size() + kPlaylistsKey.size()) < size - 9) bytes += kPlaylistsKey;
  bytes += "\n</dict>\n";
  return bytes;
}

void ScanLibrary(benchmark::State& state, const std::string& library) {
  size_t playlists = 0;
  for (auto _ : state) {
    MemoryByteFile file(library);
    playlists = ScanPlaylists(file).names.size();
    benchmark::DoNotOptimize(playlists);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(library.size()));
  state.SetComplexityN(static_cast<int64_t>(library.size()));
}

void BM_PlaylistsKeyRepeatedAfterText(benchmark::State& state) {
  ScanLibrary(state, LongKeyLine("<dict>", state.range(0)));
}
BENCHMARK(BM_PlaylistsKeyRepeatedAfterText)
    ->RangeMultiplier(2)
    ->Range(kSmallest, kLargest)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_PlaylistsKeyRepeatedAfterBlanks(benchmark::State& state) {
  const std::string start = std::string(static_cast<size_t>(state.range(0) / 2), ' ') + "x";
  ScanLibrary(state, LongKeyLine(start, state.range(0)));
}
BENCHMARK(BM_PlaylistsKeyRepeatedAfterBlanks)
    ->RangeMultiplier(2)
    ->Range(kSmallest, kLargest)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The bucket count a hash table would take for `records` entries.
int32_t BucketCount(int32_t records) {
  std::unordered_map<int32_t, int32_t> table;
  table.reserve(static_cast<size_t>(records));
  return static_cast<int32_t>(table.bucket_count());
}

void BM_TrackIdsOfOneHashBucket(benchmark::State& state) {
  constexpr int32_t kRecords = kMaxTracks - 1;
  const int32_t step = BucketCount(kRecords);
  PendingTracks pending;
  for (int32_t i = 1; i <= kRecords; ++i) {
    TTrackInfo track{};
    track.TrackID = step * i;
    pending.Add(track);
  }
  // Mostly IDs without a record, which a chained table would look for to the chain's end;
  // one in ten thousand has one (the table of songs it fills is not what is measured).
  std::string entry;
  for (int32_t i = 0; static_cast<int64_t>(entry.size()) < state.range(0); ++i) {
    const int32_t multiple = i % 10000 == 0 ? 1 + i / 10000 % kRecords : kRecords + 1 + i % 100000;
    entry += std::to_string(int64_t{step} * multiple) + ",";
  }
  const std::vector<std::string> ids = SplitTrackIds(entry);
  for (auto _ : state) {
    TrackTable table;
    SourceMessages messages;
    AddInPlaylistOrder(ids, pending, table, messages);
    benchmark::DoNotOptimize(table.TrackCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(entry.size()));
  state.SetComplexityN(static_cast<int64_t>(entry.size()));
}
BENCHMARK(BM_TrackIdsOfOneHashBucket)
    ->RangeMultiplier(2)
    ->Range(kSmallest, kLargest)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
