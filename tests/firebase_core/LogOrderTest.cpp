#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "firebase_core/FIRLogger.hpp"
#include "foundation/Console.hpp"
#include "foundation/OSLog.hpp"
#include "test_support/TempDir.hpp"

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

}  // namespace
}  // namespace firebase
