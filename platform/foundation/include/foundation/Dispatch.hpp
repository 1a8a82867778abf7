#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {

using Work = std::function<void()>;
using Clock = std::chrono::steady_clock;

// Raised by sync() onto the queue the caller is already running on, which
// would otherwise wait forever.
class DispatchDeadlock : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// A queue that runs work items one at a time, in the order they were added.
//
// The main queue runs on the main thread, drained by the program's event loop
// (see MainQueueDriver) or by RunLoop. Every other queue made with a label is
// serial and owns one worker thread; work still queued when the queue is
// destroyed runs before the thread ends, and destroying a queue from one of
// its own work items is safe.
class DispatchQueue {
 public:
  explicit DispatchQueue(std::string label);
  ~DispatchQueue();
  DispatchQueue(const DispatchQueue&) = delete;
  DispatchQueue& operator=(const DispatchQueue&) = delete;

  static DispatchQueue& main();

  void async(Work work);
  void asyncAfter(Clock::duration delay, Work work);
  // Runs the work on this queue and waits for it. Throws DispatchDeadlock when
  // called from this queue itself.
  void sync(const Work& work);

  const std::string& label() const;
  // True while the calling thread runs an item of this queue (for the main
  // queue: while it is the main thread).
  bool isCurrent() const;

  struct State;

 private:
  friend struct DispatchInternals;
  enum class Kind { serial, main };
  DispatchQueue(std::string label, Kind kind);
  std::shared_ptr<State> state_;
};

bool isMainThread();

// How the main queue asks its event loop to wake up: the Qt programs install
// one that posts to the Qt event loop; without one, RunLoop waits on the queue.
class MainQueueDriver {
 public:
  virtual ~MainQueueDriver() = default;
  // Called from any thread when the main queue has work due at `when` (or
  // earlier); the driver arranges for RunLoop::drainMainQueue() to run then.
  virtual void wakeUp(Clock::time_point when) = 0;
};
void setMainQueueDriver(MainQueueDriver* driver);

// Drives the main queue from the main thread where no other event loop does.
namespace RunLoop {
// Runs every main-queue item that is due now, items added meanwhile included
// when they are due; returns how many ran.
int drainMainQueue();
// The time the next delayed item is due, or Clock::time_point::max().
Clock::time_point nextDueTime();
// Runs main-queue work until the predicate holds or the timeout passes;
// returns the predicate's final value.
bool runUntil(const std::function<bool()>& done, Clock::duration timeout);
// Runs main-queue work for the given time.
void runFor(Clock::duration duration);
// Runs main-queue work until stop() is called.
void run();
void stop();
}  // namespace RunLoop

}  // namespace platform
