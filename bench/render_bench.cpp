// Rendering throughput of the generated source, in bytes of string data per second, fed from
// memory so only the conversion itself is measured.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "convert.hpp"
#include "table_builder.hpp"

namespace {

class NullSink final : public strtab2c::OutputSink {
 public:
  bool write(const char*, std::size_t size, std::string*) override {
    bytes += size;
    return true;
  }
  std::size_t bytes = 0;
};

class QuietDiagnostics final : public strtab2c::Diagnostics {
 public:
  void missing_entry(unsigned) override {}
  void unfit_length(std::size_t, unsigned) override {}
  void text_len(std::size_t length) override { benchmark::DoNotOptimize(length); }
};

std::string make_table(unsigned count, unsigned length) {
  std::mt19937 rng(1);
  std::vector<std::string> strings(count, std::string(length, '\0'));
  for (auto& s : strings)
    for (auto& c : s) c = static_cast<char>(rng());
  return testing_support::table(strings);
}

void BM_WriteSource(benchmark::State& state) {
  const auto count = static_cast<unsigned>(state.range(0));
  const auto length = static_cast<unsigned>(state.range(1));
  const std::string file = make_table(count, length);
  std::size_t out_bytes = 0;
  for (auto _ : state) {
    NullSink sink;
    QuietDiagnostics diag;
    strtab2c::BlockWriter blocks(sink);
    strtab2c::SourceWriter writer(blocks, "BENCH");
    std::string err;
    benchmark::DoNotOptimize(
        strtab2c::write_source({file, static_cast<std::uint16_t>(count)}, writer, diag, &err));
    out_bytes = sink.bytes;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * count * length);
  state.counters["out_bytes"] = static_cast<double>(out_bytes);
}

BENCHMARK(BM_WriteSource)->Args({256, 16384})->Args({1024, 1024})->Args({65535, 8});

}  // namespace

BENCHMARK_MAIN();
