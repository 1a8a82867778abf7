// Peak memory of the URL session while a reply goes past its body limit: a
// 1 GB body with its length declared, the same without (chunked), and a 1 MB
// gzip body that inflates to 1 GB. Both must fail with
// the limit's error while the process stays far below the reply's size.
//
//   build/bin/reply_limit_bench
//
// Counters: peak_rss_MB is the process's peak resident memory during the
// request (reset before each one), limit_error is 1 when the request failed
// with the limit's error.
#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include "foundation/URLSession.hpp"
#include "test_support/Gzip.hpp"

namespace {

constexpr std::size_t kReplyBytes = std::size_t{1} << 30;  // 1 GB

// A loopback server with three replies of 1 GB, none held in memory whole. It
// runs in a child process, so that only the client's memory is measured.
class HugeReplyServer {
 public:
  HugeReplyServer() {
    int portPipe[2];
    if (::pipe(portPipe) != 0) std::abort();
    child_ = ::fork();
    if (child_ == 0) {
      ::close(portPipe[0]);
      serve(portPipe[1]);
      std::_Exit(0);
    }
    ::close(portPipe[1]);
    if (::read(portPipe[0], &port_, sizeof port_) != sizeof port_) std::abort();
    ::close(portPipe[0]);
  }
  ~HugeReplyServer() {
    ::kill(child_, SIGTERM);
    ::waitpid(child_, nullptr, 0);
  }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  static void serve(int portPipe) {
    httplib::Server server;
    const std::string chunk(64 * 1024, 'a');
    const std::string bomb = test_support::gzippedZeros(kReplyBytes);
    server.Post("/plain", [&](const httplib::Request&, httplib::Response& out) {
      out.set_content_provider(kReplyBytes, "application/octet-stream",
                               [&](size_t, size_t length, httplib::DataSink& sink) {
                                 return sink.write(chunk.data(), std::min(length, chunk.size()));
                               });
    });
    server.Post("/chunked", [&](const httplib::Request&, httplib::Response& out) {
      out.set_chunked_content_provider("application/octet-stream", [&](size_t offset, httplib::DataSink& sink) {
        if (offset >= kReplyBytes) {
          sink.done();
          return true;
        }
        return sink.write(chunk.data(), chunk.size());
      });
    });
    server.Post("/bomb", [&](const httplib::Request&, httplib::Response& out) {
      out.set_header("Content-Encoding", "gzip");
      out.set_content(bomb, "application/octet-stream");
    });
    int port = server.bind_to_any_port("127.0.0.1");
    if (::write(portPipe, &port, sizeof port) != sizeof port) std::_Exit(1);
    ::close(portPipe);
    server.listen_after_bind();
  }

  pid_t child_ = -1;
  int port_ = 0;
};

HugeReplyServer& server() {
  static HugeReplyServer instance;
  return instance;
}

// Returns what earlier requests freed to the system, then starts the
// kernel's peak resident set again from the current one, so each request's
// own peak is measured.
void resetPeakMemory() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024.0;  // the value is in kB
  return -1;
}

void fetchPastTheLimit(benchmark::State& state, const std::string& path) {
  const std::string url = server().url(path);
  bool limitError = true;
  double peak = 0;
  for (auto _ : state) {
    resetPeakMemory();
    std::promise<platform::ErrorPtr> done;
    platform::URLSession::shared().dataTask(platform::URLRequest{url, "POST", {}, std::string(), 60},
                                            [&](auto, auto, platform::ErrorPtr error) { done.set_value(error); });
    auto error = done.get_future().get();
    peak = std::max(peak, peakMemoryMB());
    limitError = limitError && error && error->code() == platform::URLErrorDataLengthExceedsMaximum;
    if (error) state.SetLabel(error->localizedDescription());
  }
  state.counters["peak_rss_MB"] = peak;
  state.counters["limit_error"] = limitError ? 1 : 0;
}

void BM_PlainReplyOf1GB(benchmark::State& state) { fetchPastTheLimit(state, "/plain"); }
void BM_ChunkedReplyOf1GB(benchmark::State& state) { fetchPastTheLimit(state, "/chunked"); }
void BM_GzipBombOf1GB(benchmark::State& state) { fetchPastTheLimit(state, "/bomb"); }

BENCHMARK(BM_PlainReplyOf1GB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_ChunkedReplyOf1GB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_GzipBombOf1GB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
