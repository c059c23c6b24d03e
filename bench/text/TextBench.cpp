// Speed of the walking text searches on lookup-service answers, each beside std::string_view on
// the same bytes in the same run.
//
// An answer is JSON, mostly ASCII, with Chinese province and city names and a few two-byte
// characters whose second byte is ASCII. The searched field stands at the very end, so every
// search crosses the whole answer. After the runs a table gives each operation's bytes per second
// and its ratio to string_view::find over the same answer (and to its like-for-like baseline).
//
//   kelvaro_bench_text [--benchmark_repetitions=3] [--benchmark_filter=...]
// (build with CMAKE_BUILD_TYPE=Release; the table uses the median of repeated runs)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace kelvaro {
namespace {

// One record of a made-up answer list; GBK bytes: "\xB9\xE3\xB6\xAB" Guangdong,
// "\xC9\xEE\xDB\xDA" Shenzhen, "\xD2\xC6\xB6\xAF" mobile, "\x81\x40\x81\x41" two extension
// characters with ASCII second bytes.
constexpr std::string_view kRecord =
    "{\"number\":\"13800138000\",\"carrier\":\"\xD2\xC6\xB6\xAF\",\"province\":"
    "\"\xB9\xE3\xB6\xAB\","
    "\"city\":\"\xC9\xEE\xDB\xDA\",\"p_type\":\"2\",\"note\":\"no recent top-up\","
    "\"ext\":\"\x81\x40\x81\x41\",\"updated\":\"2024-05-01 12:00:00\"},";
constexpr std::string_view kHead = "{\"head\":\"begin\",\"list\":[";
constexpr std::string_view kTail = "{}],\"balance\":\"12.34\"}";

// Sought texts: the field at the end (forward searches), the field at the start (backward ones).
constexpr std::string_view kBalanceKey = "\"balance\":\"";
constexpr std::string_view kHeadKey = "\"head\":\"";
constexpr std::string_view kCityKey = "\"city\":";
constexpr std::string_view kTownKey = "\"town\":";

// Exactly `size` bytes: as many records as fit, blanks after the head making up the rest.
std::string MakeAnswer(std::size_t size) {
  const std::size_t frame = kHead.size() + kTail.size();
  const std::size_t records = size > frame ? (size - frame) / kRecord.size() : 0;
  std::string answer(kHead);
  answer.append(size - frame - records * kRecord.size(), ' ');
  for (std::size_t i = 0; i < records; ++i) answer += kRecord;
  answer += kTail;
  return answer;
}

const Text& Answer(std::size_t size) {
  static std::map<std::size_t, Text> answers;
  auto found = answers.find(size);
  if (found == answers.end()) {
    found = answers.emplace(size, Text(std::string_view(MakeAnswer(size)))).first;
  }
  return found->second;
}

void Finish(benchmark::State& state, std::size_t size) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
}

// ---- Baselines: std::string_view on the same bytes ------------------------------------------

void StringViewFind(benchmark::State& state, std::size_t size) {
  const std::string_view answer = Answer(size).bytes();
  for (auto _ : state) benchmark::DoNotOptimize(answer.find(kBalanceKey));
  Finish(state, size);
}

void StringViewRfind(benchmark::State& state, std::size_t size) {
  const std::string_view answer = Answer(size).bytes();
  for (auto _ : state) benchmark::DoNotOptimize(answer.rfind(kHeadKey));
  Finish(state, size);
}

void StringViewSplit(benchmark::State& state, std::size_t size) {
  const std::string_view answer = Answer(size).bytes();
  for (auto _ : state) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t at; (at = answer.find(',', from)) != std::string_view::npos; from = at + 1) {
      pieces.emplace_back(answer.substr(from, at - from));
    }
    if (from < answer.size()) pieces.emplace_back(answer.substr(from));
    benchmark::DoNotOptimize(pieces.data());
  }
  Finish(state, size);
}

void StringViewReplace(benchmark::State& state, std::size_t size) {
  const std::string_view answer = Answer(size).bytes();
  for (auto _ : state) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = answer.find(kCityKey, from)) != std::string_view::npos;
         from = at + kCityKey.size()) {
      out.append(answer.substr(from, at - from));
      out.append(kTownKey);
    }
    out.append(answer.substr(from));
    benchmark::DoNotOptimize(out.data());
  }
  Finish(state, size);
}

// ---- The text operations --------------------------------------------------------------------

void FindTextBench(benchmark::State& state, std::size_t size) {
  const Text& answer = Answer(size);
  const Text sought(kBalanceKey);
  for (auto _ : state) benchmark::DoNotOptimize(FindText(answer, sought));
  if (FindText(answer, sought) == kNotFound) state.SkipWithError("balance key not found");
  Finish(state, size);
}

void FindTextIgnoreCaseBench(benchmark::State& state, std::size_t size) {
  const Text& answer = Answer(size);
  const Text sought("\"BALANCE\":\"");
  for (auto _ : state) benchmark::DoNotOptimize(FindText(answer, sought, std::nullopt, true));
  if (FindText(answer, sought, std::nullopt, true) == kNotFound) {
    state.SkipWithError("balance key not found");
  }
  Finish(state, size);
}

void FindTextReverseBench(benchmark::State& state, std::size_t size) {
  const Text& answer = Answer(size);
  const Text sought(kHeadKey);
  for (auto _ : state) benchmark::DoNotOptimize(FindTextReverse(answer, sought));
  if (FindTextReverse(answer, sought) != 2) state.SkipWithError("head key not found");
  Finish(state, size);
}

void TextBetweenBench(benchmark::State& state, std::size_t size) {
  const Text& answer = Answer(size);
  const Text left(kBalanceKey);
  const Text right("\"");
  for (auto _ : state) benchmark::DoNotOptimize(TextBetween(answer, left, right));
  if (TextBetween(answer, left, right).bytes() != "12.34") state.SkipWithError("wrong balance");
  Finish(state, size);
}

void SplitTextBench(benchmark::State& state, std::size_t size) {
  const Text& answer = Answer(size);
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(answer).size());
  Finish(state, size);
}

void ReplaceTextBench(benchmark::State& state, std::size_t size) {
  const Text& answer = Answer(size);
  const Text sought(kCityKey);
  const Text by(kTownKey);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReplaceText(answer, sought, by, std::nullopt, std::nullopt, true));
  }
  Finish(state, size);
}

// ---- Registration and the ratio table -------------------------------------------------------

struct Operation {
  const char* name;
  void (*run)(benchmark::State&, std::size_t);
  const char* baseline;  // like-for-like string_view baseline
};

constexpr Operation kOperations[] = {
    {"string_view::find", StringViewFind, "string_view::find"},
    {"string_view::rfind", StringViewRfind, "string_view::rfind"},
    {"string_view split", StringViewSplit, "string_view split"},
    {"string_view replace", StringViewReplace, "string_view replace"},
    {"FindText", FindTextBench, "string_view::find"},
    {"FindText ignoreCase", FindTextIgnoreCaseBench, "string_view::find"},
    {"FindTextReverse", FindTextReverseBench, "string_view::rfind"},
    {"TextBetween", TextBetweenBench, "string_view::find"},
    {"SplitText", SplitTextBench, "string_view split"},
    {"ReplaceText", ReplaceTextBench, "string_view replace"},
};

// 4 KiB to 16 MiB in 16-fold steps (bench/run reports the growth over each), and 1 KiB below.
constexpr std::pair<const char*, std::size_t> kSizes[] = {{"1KiB", 1u << 10},
                                                          {"4KiB", 4u << 10},
                                                          {"64KiB", 64u << 10},
                                                          {"1MiB", 1u << 20},
                                                          {"16MiB", 16u << 20}};

std::string BenchName(const char* operation, const char* size) {
  return std::string(operation) + "/" + size;
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With --benchmark_repetitions the table takes the median, otherwise the one run.
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const auto rate = run.counters.find("bytes_per_second");
      if (!run.error_occurred && rate != run.counters.end()) {
        rates_[run.run_name.str()] = rate->second.value;
      }
    }
  }

  void PrintTable() const {
    std::printf("\n%-22s %7s %12s %10s %12s\n", "operation", "size", "MiB/s", "vs find",
                "vs baseline");
    for (const auto& [sizeName, size] : kSizes) {
      const double find = Rate(BenchName("string_view::find", sizeName));
      for (const Operation& op : kOperations) {
        const double rate = Rate(BenchName(op.name, sizeName));
        const double baseline = Rate(BenchName(op.baseline, sizeName));
        if (rate <= 0) continue;
        std::printf("%-22s %7s %12.1f %10.2f %12.2f\n", op.name, sizeName, rate / (1 << 20),
                    find > 0 ? rate / find : 0.0, baseline > 0 ? rate / baseline : 0.0);
      }
    }
  }

 private:
  double Rate(const std::string& name) const {
    const auto found = rates_.find(name);
    return found == rates_.end() ? 0.0 : found->second;
  }

  std::map<std::string, double> rates_;
};

}  // namespace
}  // namespace kelvaro

int main(int argc, char** argv) {
  using namespace kelvaro;
  for (const auto& [sizeName, size] : kSizes) {
    for (const Operation& op : kOperations) {
      benchmark::RegisterBenchmark(BenchName(op.name, sizeName).c_str(), op.run, size);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
