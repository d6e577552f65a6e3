// Our MD5 beside OpenSSL's on the same 64 MiB, in one run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <random>
#include <string>

#include "codec/MD5.h"

namespace {

const std::string& Data() {
  static const std::string data = [] {
    std::string d(64u << 20, '\0');
    std::mt19937_64 rng(42);
    for (std::size_t i = 0; i + 8 <= d.size(); i += 8) {
      const auto v = rng();
      d.replace(i, 8, reinterpret_cast<const char*>(&v), 8);
    }
    return d;
  }();
  return data;
}

void BM_MD5_Ours(benchmark::State& state) {
  const std::string& data = Data();
  for (auto _ : state) {
    codec::MD5 md5;
    md5.Update(data.data(), data.size());
    benchmark::DoNotOptimize(md5.Final());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void BM_MD5_OpenSSL(benchmark::State& state) {
  const std::string& data = Data();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  for (auto _ : state) {
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

BENCHMARK(BM_MD5_Ours)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MD5_OpenSSL)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
