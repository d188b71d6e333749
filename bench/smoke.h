// CI's smoke run (scripts/bench-smoke) sets TESSEL_BENCH_SMOKE: every benchmark then runs once
// on small inputs, so that one that aborts or fails its own check shows within minutes, while a
// measuring run keeps the sizes the figures are quoted at.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

namespace tessel::bench {

inline bool smokeRun() { return std::getenv("TESSEL_BENCH_SMOKE") != nullptr; }

// `full` in a measuring run, `small` in the smoke run.
template <class T>
T sized(T full, T small) {
  return smokeRun() ? small : full;
}

inline benchmark::IterationCount iterations(benchmark::IterationCount full) {
  return smokeRun() ? 1 : full;
}

}  // namespace tessel::bench
