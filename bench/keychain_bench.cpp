// Reading the keychain items file: decoding a 3.2 MB document, and a whole
// lookup on such a file (lock, read, decode).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "security/KeychainItemStore.hpp"
#include "security/KeychainItemsFile.hpp"

namespace {

using namespace platform::security;

// 50 items of 32 KB each: 3.2 MB of hexadecimal text.
KeychainItems largeItems() {
  KeychainItems items;
  for (int i = 0; i < 50; ++i) {
    Data data(32 * 1024);
    for (std::size_t k = 0; k < data.size(); ++k) data[k] = static_cast<std::uint8_t>(k * 31 + i);
    items[{"com.example.service", "account-" + std::to_string(i), std::nullopt}] = std::move(data);
  }
  return items;
}

void BM_DecodeItemsFile(benchmark::State& state) {
  const std::string text = *encodeKeychainItems(largeItems());
  for (auto _ : state) benchmark::DoNotOptimize(decodeKeychainItems(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_DecodeItemsFile)->Unit(benchmark::kMillisecond);

void BM_CopyMatchingFromALargeFile(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / ("keychain-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto file = folder / "keychain-items.json";
  std::ofstream(file) << *encodeKeychainItems(largeItems());
  FileKeychainItemStore store(file);
  Data data;
  for (auto _ : state) benchmark::DoNotOptimize(store.copyMatching({"com.example.service", "account-49", std::nullopt}, data));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CopyMatchingFromALargeFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
