// How long opening a settings suite takes when its file is hostile: special
// files, endless and huge ones, lists of very many values. Each is refused;
// the time is what a `defaults read`, a compose session or Mervo's start
// spends on it per read. The largest lists still accepted are timed too,
// read and round-tripped (read, written, read again, in both forms).
// Runs against settings in a temporary folder, never the user's own.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <benchmark/benchmark.h>

#include "support/TemporaryHome.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/XMLPropertyList.hpp"

namespace {

namespace plist = platform::plist;
using platform::UserDefaults;

std::string bigEndian(std::uint64_t value, int width) {
  std::string bytes;
  for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

// A binary list of `size` bytes, nearly all of it a hole, whose trailer
// claims an object for every byte.
void writeSparseBinaryList(const std::filesystem::path& file, std::uint64_t size) {
  const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::string trailer =
      std::string(6, '\0') + "\x01\x01" + bigEndian(size - 40, 8) + bigEndian(0, 8) + bigEndian(8, 8);
  (void)::pwrite(descriptor, "bplist00", 8, 0);
  (void)::pwrite(descriptor, trailer.data(), trailer.size(), static_cast<off_t>(size - trailer.size()));
  ::close(descriptor);
}

std::string xmlArrayOf(std::size_t count, std::string_view element) {
  std::string xml = "<array>";
  xml.reserve(xml.size() + count * element.size() + 10);
  for (std::size_t i = 0; i < count; ++i) xml += element;
  return xml + "</array>";
}

std::string xmlList(const std::string& value) { return "<plist>" + value + "</plist>"; }

// `levels` arrays, each holding the next one twice, then a text: 2^(levels+1)
// - 1 values once expanded, in a file of a hundred-odd bytes.
std::string binaryDoubling(int levels) {
  std::string bytes = "bplist00";
  std::string offsets;
  for (int i = 0; i <= levels; ++i) {
    offsets += bigEndian(bytes.size(), 1);
    bytes += i < levels ? "\xA2" + bigEndian(i + 1, 1) + bigEndian(i + 1, 1) : std::string("\x51x");
  }
  const std::uint64_t table = bytes.size();
  return bytes + offsets + std::string(6, '\0') + "\x01\x01" + bigEndian(levels + 1, 8) + bigEndian(0, 8) +
         bigEndian(table, 8);
}

void writeFile(const std::filesystem::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

// Puts the file in place of the suite's file once, then opens the suite
// again and again, reading the file every time.
void openSuite(benchmark::State& state, const std::function<void(const std::filesystem::path&)>& make) {
  const std::string name = "group.bench." + std::to_string(state.range(0));
  const auto file = UserDefaults::fileForDomain(name);
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::remove(file);
  make(file);
  bool refused = true;
  for (auto _ : state) {
    auto opened = UserDefaults::openSuite(name);
    refused = !opened;
    benchmark::DoNotOptimize(opened);
    if (!refused) {
      // An open suite is kept: forget it, so that the next open reads again.
      state.PauseTiming();
      opened = {};
      UserDefaults::resetForTesting();
      state.ResumeTiming();
    }
  }
  state.SetLabel(refused ? "refused" : "read");
  UserDefaults::resetForTesting();
  std::filesystem::remove(file);
}

void parseAndRoundTrip(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    auto value = plist::parse(bytes);
    auto binary = plist::toBinary(*value);
    auto reread = plist::parse(*binary);
    auto xml = test_support::xmlPropertyList(*reread);
    benchmark::DoNotOptimize(xml);
  }
}

void makeFifo(const std::filesystem::path& file) { ::mkfifo(file.c_str(), 0600); }
void linkToDevZero(const std::filesystem::path& file) { std::filesystem::create_symlink("/dev/zero", file); }
void sparseGiB(const std::filesystem::path& file) { writeSparseBinaryList(file, 1ull << 30); }
void sparse256MiB(const std::filesystem::path& file) { writeSparseBinaryList(file, 256ull << 20); }
void emptyArrays(const std::filesystem::path& file) { writeFile(file, xmlList(xmlArrayOf(800'000, "<array/>"))); }
void booleans100MB(const std::filesystem::path& file) {
  writeFile(file, xmlList(xmlArrayOf(100'000'000 / 7, "<true/>")));
}
void booleansFilling32MiB(const std::filesystem::path& file) {
  writeFile(file, xmlList(xmlArrayOf((plist::kMaxFileBytes - 40) / 7, "<true/>")));
}
void sharedReferences(const std::filesystem::path& file) { writeFile(file, binaryDoubling(19)); }
void textFilling32MiB(const std::filesystem::path& file) {
  writeFile(file, xmlList("<dict><key>k</key><string>" + std::string(plist::kMaxFileBytes - 60, 'x') +
                          "</string></dict>"));
}
// The dictionary, its key, the array and the Booleans: the limit exactly.
void booleansAtTheLimit(const std::filesystem::path& file) {
  writeFile(file, xmlList("<dict><key>k</key>" + xmlArrayOf(plist::kMaxValues - 3, "<true/>") + "</dict>"));
}

}  // namespace

// Refused (each Arg names a suite of its own).
BENCHMARK_CAPTURE(openSuite, Fifo, makeFifo)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openSuite, LinkToDevZero, linkToDevZero)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openSuite, SparseBinaryList1GiB, sparseGiB)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openSuite, SparseBinaryList256MiB, sparse256MiB)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openSuite, EmptyArrays800000, emptyArrays)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openSuite, Booleans100MB, booleans100MB)->Arg(6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(openSuite, BooleansFilling32MiB, booleansFilling32MiB)->Arg(7)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openSuite, SharedReferencesToAMillionValues, sharedReferences)->Arg(8)->Unit(benchmark::kMillisecond);
// Read: the largest files still accepted.
BENCHMARK_CAPTURE(openSuite, TextFilling32MiB, textFilling32MiB)->Arg(9)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openSuite, BooleansAtTheLimit, booleansAtTheLimit)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parseAndRoundTrip, SharedReferencesJustWithinTheLimit, binaryDoubling(15))
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  const TemporaryHome home("stored-file-bench");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
