#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "firebase_core/FIRLogger.hpp"
#include "foundation/Console.hpp"
#include "foundation/LogOutput.hpp"
#include "foundation/OSLog.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace firebase {
namespace {

// Standard output and standard error, both into one file, while it lives.
class BothStreamsInto {
 public:
  explicit BothStreamsInto(const std::filesystem::path& file) {
    std::fflush(stdout);
    std::fflush(stderr);
    savedOut_ = ::dup(STDOUT_FILENO);
    savedErr_ = ::dup(STDERR_FILENO);
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    ::dup2(fd, STDOUT_FILENO);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
  }
  ~BothStreamsInto() {
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(savedOut_, STDOUT_FILENO);
    ::dup2(savedErr_, STDERR_FILENO);
    ::close(savedOut_);
    ::close(savedErr_);
  }

 private:
  int savedOut_;
  int savedErr_;
};

// Long enough that a line written in pieces would show it.
const std::string kPadding(400, 'x');

// Line `n` of `writer`, through one of the three sources in turn: the
// console, the OS log stand-in, the app core's logger (whose lines are written
// later, on its own queue).
void logLine(int writer, int n) {
  std::string message = "@" + std::to_string(writer) + ":" + std::to_string(n) + ":" + kPadding + "#";
  switch (n % 3) {
    case 0: platform::console::print(message); break;
    case 1: platform::OSLog("log.order.test", "stand-in").log(platform::LogType::error, message); break;
    default: FIRLogBasic(kGULLoggerLevelError, "[LogOrderTest]", "I-TST000001", message);
  }
}

TEST(LogOrder, LinesOfEveryThreadAndSourceComeOutWholeAndInTheOrderLogged) {
  constexpr int kWriters = 4, kLinesEach = 300;
  test_support::TempDir folder;
  const auto file = folder.path() / "streams.txt";
  FIRLoggerResetForTesting();
  {
    BothStreamsInto redirect(file);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
      writers.emplace_back([w] {
        for (int n = 0; n < kLinesEach; ++n) logLine(w, n);
      });
    for (auto& writer : writers) writer.join();
    // A failure: the core logs what went wrong, then the caller its error.
    FIRLogBasic(kGULLoggerLevelError, "[LogOrderTest]", "I-TST000002", "the server responded with an error");
    platform::console::print("Error generating content: the failure's last line");
    GULLoggerDrain();
  }

  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Error generating content: the failure's last line");

  std::map<int, int> nextOf;  // writer -> the line expected next
  for (const auto& line : lines) {
    auto at = line.find('@');
    if (at == std::string::npos) continue;
    int writer = -1, n = -1;
    std::istringstream fields(line.substr(at + 1));
    fields >> writer;
    fields.ignore(1);
    fields >> n;
    ASSERT_TRUE(line.ends_with(":" + kPadding + "#")) << "a line in pieces: " << line.substr(0, 80);
    ASSERT_EQ(n, nextOf[writer]) << "writer " << writer << " out of order";
    ++nextOf[writer];
  }
  for (int w = 0; w < kWriters; ++w) EXPECT_EQ(nextOf[w], kLinesEach) << "writer " << w;
}

// A line that fails to be written, in each of the ways a line can fail.
struct LineFailure {
  const char* name;
  std::function<void()> fail;
};

void PrintTo(const LineFailure& c, std::ostream* os) { *os << c.name; }

void throwFromSink() { throw std::runtime_error("the sink failed"); }

const LineFailure kLineFailures[] = {
    // As the core's logger's line when its work cannot be queued: the place
    // is taken, and its work dropped without running.
    {"APlaceWhoseLineIsNeverQueued",
     [] {
       std::function<void()> line = [place = platform::log_output::reserve()] {
         platform::log_output::writeAt(place, [] {});
       };
     }},
    {"ALineWhoseWriteRunsOutOfMemory",
     [] { platform::log_output::writeNext([] { throw std::bad_alloc(); }); }},
    {"AConsoleSinkThatThrows",
     [] {
       platform::console::setSink([](std::string_view) { throwFromSink(); });
       platform::console::print("a line its sink refuses");
     }},
    {"AnOSLogSinkThatThrows",
     [] {
       platform::oslog::setSink([](const platform::OSLog&, platform::LogType, std::string_view) { throwFromSink(); });
       platform::OSLog("log.failure.test", "stand-in").log(platform::LogType::error, "a line its sink refuses");
     }},
    // Written on the core's queue, by whichever thread's line comes last.
    {"ACoreLoggerLineWhoseSinkThrows",
     [] {
       platform::oslog::setSink([](const platform::OSLog&, platform::LogType, std::string_view) { throwFromSink(); });
       FIRLogBasic(kGULLoggerLevelError, "[LogOrderTest]", "I-TST000003", "a line its sink refuses");
       GULLoggerDrain();
     }},
};

class LineFailureTest : public ::testing::TestWithParam<LineFailure> {};

// The lines after a failed one go out, from the thread whose line failed and
// from any other; each source's in the order logged.
TEST_P(LineFailureTest, LosesThatLineOnlyAndTheNextLinesGoOut) {
  struct Captured {
    std::mutex mutex;
    std::vector<std::string> lines;
    void add(std::string_view line) {
      std::lock_guard lock(mutex);
      lines.emplace_back(line);
    }
    // Exactly these lines, each ending with its text (the core's lead with their version).
    bool are(const std::vector<std::string>& expected) {
      std::lock_guard lock(mutex);
      return std::equal(lines.begin(), lines.end(), expected.begin(), expected.end(),
                        [](const std::string& line, const std::string& text) { return line.ends_with(text); });
    }
  };
  auto captured = std::make_shared<Captured>();
  FIRLoggerResetForTesting();
  // Threads that stall are left behind rather than hang the test.
  auto run = [](std::function<void()> lines) { std::thread(std::move(lines)).detach(); };

  run([captured, fail = GetParam().fail] {
    try {
      fail();
    } catch (...) {
      // a line's failure reaching its caller is not what is checked here
    }
    platform::console::setSink([captured](std::string_view line) { captured->add(line); });
    platform::oslog::setSink([captured](const platform::OSLog&, platform::LogType, std::string_view message) {
      captured->add(message);
    });
    platform::console::print("the failing thread's next line");
  });
  ASSERT_TRUE(test_support::waitUntil([&] { return captured->are({"the failing thread's next line"}); }));

  run([] {
    FIRLogBasic(kGULLoggerLevelError, "[LogOrderTest]", "I-TST000004", "another thread's core line");
    platform::console::print("another thread's line");
  });
  ASSERT_TRUE(test_support::waitUntil([&] {
    return captured->are({"the failing thread's next line", "[LogOrderTest][I-TST000004] another thread's core line",
                          "another thread's line"});
  }));
  platform::console::setSink({});
  platform::oslog::setSink({});
}

INSTANTIATE_TEST_SUITE_P(Failures, LineFailureTest, ::testing::ValuesIn(kLineFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace firebase
