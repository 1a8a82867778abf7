#include <gtest/gtest.h>

#include <QCoreApplication>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

#include "qtbridge/SingleInstance.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using platform::qtbridge::SingleInstance;
using Claim = SingleInstance::Claim;

constexpr uid_t kNobody = 65534;

// Runs Qt's events until `done` holds (false after the hang guard).
bool processEventsUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + test_support::kHangGuard;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// A process of the test's own that binds a claim's name as a program of
// another build would, and keeps it until it is killed; optionally as another
// user.
class ClaimHolder {
 public:
  ClaimHolder(const std::string& name, std::optional<uid_t> user = std::nullopt) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      if (user && (setgid(*user) != 0 || setuid(*user) != 0)) _exit(1);
      int listener = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::memcpy(address.sun_path + 1, name.data(), name.size());  // abstract: a zero byte first
      auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
      if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener, 4) != 0) _exit(1);
      (void)!write(ready[1], "!", 1);
      for (;;) pause();
    }
    close(ready[1]);
    char byte = 0;
    bound_ = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
  }
  ~ClaimHolder() { kill(); }
  bool bound() const { return bound_; }
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool bound_ = false;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QCoreApplication::instance()) {
      static int argc = 1;
      static char name[] = "platform_qtbridge_tests";
      static char* argv[] = {name, nullptr};
      application_ = std::make_unique<QCoreApplication>(argc, argv);
    }
  }
  static void TearDownTestSuite() { application_.reset(); }

  test_support::TempDir folders;

 private:
  static inline std::unique_ptr<QCoreApplication> application_;
};

// Starts in order, each for a folder; what each start finds.
struct ClaimCase {
  const char* name;
  // Folders below the test's own; "link" is a symbolic link to "settings".
  std::vector<std::string> starts;
  std::vector<Claim> expected;
};
void PrintTo(const ClaimCase& c, std::ostream* os) { *os << c.name; }

class SingleInstanceClaimTest : public SingleInstanceTest, public ::testing::WithParamInterface<ClaimCase> {};

TEST_P(SingleInstanceClaimTest, OneInstancePerFolder) {
  std::filesystem::create_directories(folders.path() / "settings");
  std::filesystem::create_directories(folders.path() / "other");
  std::filesystem::create_directory_symlink(folders.path() / "settings", folders.path() / "link");
  std::vector<std::unique_ptr<SingleInstance>> starts;
  std::vector<Claim> found;
  for (const auto& folder : GetParam().starts) {
    starts.push_back(std::make_unique<SingleInstance>("Tester", folders.path() / folder));
    found.push_back(starts.back()->claim());
  }
  EXPECT_EQ(found, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SingleInstanceClaimTest,
    ::testing::Values(ClaimCase{"TheFirstStartHoldsTheClaim", {"settings"}, {Claim::first}},
                      ClaimCase{"ASecondStartForTheFolderFindsItTaken", {"settings", "settings"}, {Claim::first, Claim::taken}},
                      ClaimCase{"TheFolderSpelledAnotherWayIsTheSame", {"settings", "other/../settings"},
                                {Claim::first, Claim::taken}},
                      ClaimCase{"ALinkToTheFolderIsTheSame", {"link", "settings"}, {Claim::first, Claim::taken}},
                      ClaimCase{"AnotherFolderHasAnInstanceOfItsOwn", {"settings", "other", "other"},
                                {Claim::first, Claim::first, Claim::taken}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SingleInstanceTest, TheInstanceForAnotherProgramIsIndependent) {
  SingleInstance mervo("Mervo", folders.path());
  SingleInstance other("Other", folders.path());
  EXPECT_EQ(mervo.claim(), Claim::first);
  EXPECT_EQ(other.claim(), Claim::first);
}

TEST_F(SingleInstanceTest, ALaterStartHandsOverAndTheFirstComesForward) {
  SingleInstance first("Tester", folders.path());
  ASSERT_EQ(first.claim(), Claim::first);
  int comeForward = 0;
  QObject::connect(&first, &SingleInstance::anotherStartHandedOver, [&comeForward] { ++comeForward; });

  for (int start = 1; start <= 2; ++start) {
    SingleInstance later("Tester", folders.path());
    ASSERT_EQ(later.claim(), Claim::taken);
    // The later start waits for the answer, which the first gives from its
    // event loop: here, this thread's.
    std::optional<std::expected<void, std::string>> handed;
    std::thread starting([&] { handed = later.handOver(); });
    const bool answered = processEventsUntil([&] { return comeForward == start; });
    starting.join();
    ASSERT_TRUE(answered);
    ASSERT_TRUE(handed && *handed) << (handed ? handed->error() : "");
  }
  EXPECT_EQ(first.claim(), Claim::first);
}

TEST_F(SingleInstanceTest, AKilledInstanceLeavesNothingThatKeepsTheNextStartOut) {
  const auto name = SingleInstance::claimName("Tester", folders.path());
  ClaimHolder holder(name);
  ASSERT_TRUE(holder.bound());
  EXPECT_EQ(SingleInstance("Tester", folders.path()).claim(), Claim::taken);
  holder.kill();
  SingleInstance next("Tester", folders.path());
  EXPECT_EQ(next.claim(), Claim::first);
}

// Another user may take the name first; nothing is handed over to that
// program, and another user's start gets no answer from ours. Needs root,
// to run a process as another user.
TEST_F(SingleInstanceTest, AnotherUsersProgramIsNeitherHandedOverToNorAnswered) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a process as another user";
  {
    ClaimHolder stranger(SingleInstance::claimName("Tester", folders.path()), kNobody);
    ASSERT_TRUE(stranger.bound());
    SingleInstance start("Tester", folders.path());
    ASSERT_EQ(start.claim(), Claim::taken);
    auto handed = start.handOver();
    ASSERT_FALSE(handed);
    EXPECT_EQ(handed.error(), "its claim is held by another user's program");
  }

  SingleInstance first("Tester", folders.path());
  ASSERT_EQ(first.claim(), Claim::first);
  int comeForward = 0;
  QObject::connect(&first, &SingleInstance::anotherStartHandedOver, [&comeForward] { ++comeForward; });
  const auto name = SingleInstance::claimName("Tester", folders.path());
  const pid_t stranger = fork();
  if (stranger == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
    int connection = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), length) != 0) _exit(101);
    char answer[16];
    _exit(static_cast<int>(read(connection, answer, sizeof answer)));  // bytes until the first closes
  }
  int status = -1;
  ASSERT_TRUE(processEventsUntil([&] { return waitpid(stranger, &status, WNOHANG) == stranger; }));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);  // closed without a byte
  EXPECT_EQ(comeForward, 0);
}

}  // namespace
