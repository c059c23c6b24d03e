// Side-by-side figures: a figure of the program and the same figure of its baseline, taken
// alternately in one run (program, baseline, program, baseline, ...) so that a change in the
// machine's load falls on both alike. Each side's figure is the median of its samples.
//
// Every figure ends as one row of the benchmark table, printed on standard output as
//   row <TAB> figure <TAB> program <TAB> baseline <TAB> unit <TAB> ratio <TAB> target <TAB> verdict
// where ratio is program / baseline (time or memory: above 1 the program costs more): for a timed
// figure the median of the rounds' ratios, each from one program sample and the baseline sample
// right after it, so that a change of the machine's load between rounds does not tilt it. verdict
// is "met" or "MISSED". bench/run gathers the rows of every benchmark into its table.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace kelvaro::bench {

inline double Median(std::vector<double> samples) {
  if (samples.empty()) return 0.0;
  std::sort(samples.begin(), samples.end());
  const std::size_t middle = samples.size() / 2;
  return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

inline double Ratio(double program, double baseline) {
  return baseline > 0.0 ? program / baseline : 0.0;
}

struct Medians {
  double program = 0.0;
  double baseline = 0.0;
  double ratio = 0.0;  // median of the rounds' program / baseline
};

// Calls program() and baseline() alternately, `rounds` times each, program first; each call
// returns one sample.
template <typename Program, typename Baseline>
Medians Interleave(int rounds, Program&& program, Baseline&& baseline) {
  std::vector<double> programSamples;
  std::vector<double> baselineSamples;
  std::vector<double> ratios;
  for (int round = 0; round < rounds; ++round) {
    programSamples.push_back(program());
    baselineSamples.push_back(baseline());
    ratios.push_back(Ratio(programSamples.back(), baselineSamples.back()));
  }
  return {Median(std::move(programSamples)), Median(std::move(baselineSamples)),
          Median(std::move(ratios))};
}

// Seconds that `body` takes.
template <typename Body>
double SecondsFor(Body&& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Row {
  std::string figure;
  double program = 0.0;
  double baseline = 0.0;
  std::string unit;
  double ratio = 0.0;
  std::string target;  // as shown in the table, e.g. "<= 1.10"
  bool met = false;
};

inline void PrintRow(const Row& row) {
  std::printf("row\t%s\t%.4g\t%.4g\t%s\t%.2f\t%s\t%s\n", row.figure.c_str(), row.program,
              row.baseline, row.unit.c_str(), row.ratio, row.target.c_str(),
              row.met ? "met" : "MISSED");
  std::fflush(stdout);
}

// Whether the time ratio of one 16-fold size step counts as linear growth: 16 is exactly linear,
// and up to 24 passes (n log n over these sizes stays below 20). Above that it still passes when
// the baseline, linear itself, slows down alike (at most 1.25 times its ratio): a step out of
// the processor's caches into main memory costs every linear pass the same.
inline bool GrowthIsLinear(double program, double baseline) {
  return program <= 24.0 || program <= 1.25 * baseline;
}

}  // namespace kelvaro::bench
