// Decoding throughput against simdjson's bare parse of the same bytes.
// Sizes: the built-in sample, and generated snapshots of 1,000 and 100,000
// accounts with 6 plan cells each.

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include "data/decode.hpp"
#include "data/encode.hpp"
#include "data/store.hpp"

namespace corvane {
namespace {

std::string documentWithAccounts(std::int64_t accounts) {
  if (accounts == 0) return toJson(Store::makeSample(1765200000.25));
  Snapshot s = Store::makeSample(1765200000.25);
  const Account model = s.accounts[1];
  s.accounts.clear();
  for (std::int64_t i = 0; i < accounts; ++i) {
    Account a = model;
    a.u = "account_" + std::to_string(i);
    a.dms = i % 41;
    a.state = i % 7 == 0 ? "err" : "run";
    s.accounts.push_back(std::move(a));
  }
  return toJson(s);
}

const std::string& document(std::int64_t accounts) {
  static std::map<std::int64_t, std::string> cache;
  auto [it, inserted] = cache.try_emplace(accounts);
  if (inserted) it->second = documentWithAccounts(accounts);
  return it->second;
}

void BM_BareParse(benchmark::State& state) {
  const std::string& doc = document(state.range(0));
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element e;
    auto err = parser.parse(doc.data(), doc.size()).get(e);
    benchmark::DoNotOptimize(err);
    benchmark::DoNotOptimize(e);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}

void BM_Decode(benchmark::State& state) {
  const std::string& doc = document(state.range(0));
  for (auto _ : state) {
    Decoded d = decodeSnapshot(doc);
    if (!d) state.SkipWithError("document did not decode");
    benchmark::DoNotOptimize(d);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}

// The same decode, with the records' destruction kept out of the timing: what
// the decoder itself costs, apart from freeing what the caller was given.
void BM_DecodeOnly(benchmark::State& state) {
  const std::string& doc = document(state.range(0));
  for (auto _ : state) {
    Decoded d = decodeSnapshot(doc);
    if (!d) state.SkipWithError("document did not decode");
    benchmark::DoNotOptimize(d);
    state.PauseTiming();
    d = Decoded{};
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}

// Arg 0 is the built-in sample.
BENCHMARK(BM_BareParse)->Arg(0)->Arg(1000)->Arg(100000);
BENCHMARK(BM_Decode)->Arg(0)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DecodeOnly)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
