// The soak of the output run's model test: many seeds and long step sequences on real
// folders (see tests/app/output_model.h). It counts steps and seeds; a breach stops it
// with the seed and the shortest failing sequence.
//
// TARVELLO_SOAK_SEED sets the first seed; by default each run starts from a new one.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <random>

#include "app/output_model.h"

namespace {

constexpr int kStepsPerSeed = 200;

// Chosen once, so the measuring runs go on from where the first ended.
uint32_t& NextSeed() {
  static uint32_t seed = [] {
    if (const char* chosen = std::getenv("TARVELLO_SOAK_SEED")) {
      return static_cast<uint32_t>(std::strtoul(chosen, nullptr, 10));
    }
    return static_cast<uint32_t>(std::random_device{}());
  }();
  return seed;
}

void BM_OutputModelSoak(benchmark::State& state) {
  uint32_t& seed = NextSeed();
  std::cout << "soak seeds from " << seed << "\n";
  int64_t seeds = 0;
  tarvello::model::Reached reached;
  for (auto _ : state) {
    if (const auto breach = tarvello::model::CheckSeed(seed, kStepsPerSeed, &reached)) {
      std::cerr << *breach << "\n";
      state.SkipWithError("a rule of the output run broke; see the report above");
      break;
    }
    ++seed;
    ++seeds;
  }
  state.counters["seeds"] = static_cast<double>(seeds);
  state.counters["steps"] = static_cast<double>(seeds * kStepsPerSeed);
  state.counters["outputs"] = reached.outputs;
  state.counters["full_runs"] = reached.full_runs;
}
BENCHMARK(BM_OutputModelSoak)->Unit(benchmark::kMillisecond)->MinTime(60.0);

}  // namespace

BENCHMARK_MAIN();
