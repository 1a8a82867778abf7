#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace mervo_test {

// A program started by a test, with its standard output and error in files
// of the test's own; it is ended when the object goes.
class RunningProgram {
 public:
  // Where its windows go: drawn offscreen, or nowhere (no display at all).
  enum class Display { offscreen, none };

  RunningProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 Display display = Display::offscreen) {
    out_ = folder_.path() / "stdout.txt";
    err_ = folder_.path() / "stderr.txt";
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen(out_.c_str(), "w", stdout) || !freopen(err_.c_str(), "w", stderr)) _exit(126);
      if (display == Display::offscreen) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
      } else {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) unsetenv(name);
      }
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
  }
  ~RunningProgram() {
    if (!status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  std::string out() const { return test_support::readFile(out_); }
  std::string err() const { return test_support::readFile(err_); }

  // Waits until standard output holds the text (false when the program ends
  // first or the time is up).
  bool waitForOutput(const std::string& text, std::chrono::seconds timeout = test_support::kHangGuard) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      if (out().find(text) != std::string::npos) return true;
      if (hasEnded()) return out().find(text) != std::string::npos;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // The exit status once the program has ended (-1 for a signal or when it
  // did not end in time, after which it is killed).
  int exitStatus(std::chrono::seconds timeout = test_support::kHangGuard) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!hasEnded() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!status_) {
      kill(pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
      status_ = status;
      return -1;
    }
    return WIFEXITED(*status_) ? WEXITSTATUS(*status_) : -1;
  }

  void terminate() { stop(SIGTERM); }
  // Ends it as a crash or `kill -9` would, with no chance to clean up.
  void killAbruptly() { stop(SIGKILL); }

 private:
  void stop(int signal) {
    if (!status_) kill(pid_, signal);
    exitStatus();
  }

  bool hasEnded() {
    if (status_) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return status_.has_value();
  }

  test_support::TempDir folder_;
  std::filesystem::path out_, err_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace mervo_test
