#include "foundation/Dispatch.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <future>
#include <map>
#include <optional>
#include <utility>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {
// Static initialisation runs on the main thread, before main().
const std::thread::id kMainThreadId = std::this_thread::get_id();

// The queues whose items the calling thread is running, innermost last, plus
// those of any sync() caller it runs on behalf of: a sync() onto one of them
// would wait for itself.
thread_local std::vector<const DispatchQueue::State*> activeQueues;

struct ActiveScope {
  std::vector<const DispatchQueue::State*> saved;
  ActiveScope(std::vector<const DispatchQueue::State*> callers, const DispatchQueue::State* queue)
      : saved(std::exchange(activeQueues, std::move(callers))) {
    activeQueues.push_back(queue);
  }
  ~ActiveScope() { activeQueues = std::move(saved); }
};

std::atomic<MainQueueDriver*> mainDriver{nullptr};
}  // namespace

struct DispatchQueue::State {
  struct Item {
    Clock::time_point due;
    std::uint64_t sequence;
    Work work;
    std::vector<const State*> callers;  // set for sync() items
  };

  std::string label;
  Kind kind;
  std::mutex mutex;
  std::condition_variable changed;
  // Ordered by due time, then by arrival, so equal times keep FIFO order.
  std::map<std::pair<Clock::time_point, std::uint64_t>, Item> items;
  std::uint64_t nextSequence = 0;
  bool stopping = false;
  bool runLoopStopRequested = false;
  std::thread worker;

  State(std::string l, Kind k) : label(std::move(l)), kind(k) {}

  void add(Clock::time_point due, Work work, std::vector<const State*> callers = {}) {
    {
      std::lock_guard lock(mutex);
      auto seq = nextSequence++;
      items.emplace(std::pair(due, seq), Item{due, seq, std::move(work), std::move(callers)});
      if (kind == Kind::serial && !worker.joinable()) startWorker();
    }
    changed.notify_all();
    if (kind == Kind::main)
      if (auto* driver = mainDriver.load()) driver->wakeUp(due);
  }

  // Takes the first item that is due, if any; caller holds the mutex.
  std::optional<Item> takeDue(Clock::time_point now) {
    if (items.empty() || items.begin()->first.first > now) return std::nullopt;
    auto node = items.extract(items.begin());
    return std::move(node.mapped());
  }

  void run(Item& item) {
    ActiveScope scope(std::move(item.callers), this);
    item.work();
  }

  void startWorker() {
    // The thread shares ownership so that the queue may be destroyed from
    // one of its own items.
    worker = std::thread([self = selfRef.lock()] { self->workLoop(); });
  }

  void workLoop() {
    std::unique_lock lock(mutex);
    for (;;) {
      if (auto item = takeDue(Clock::now())) {
        lock.unlock();
        run(*item);
        // Drop the item before relocking: it may hold the last reference to
        // this queue, whose destructor takes the same lock.
        item.reset();
        lock.lock();
        continue;
      }
      if (items.empty()) {
        if (stopping) return;
        changed.wait(lock);
      } else {
        changed.wait_until(lock, items.begin()->first.first);
      }
    }
  }

  std::weak_ptr<State> selfRef;
};

DispatchQueue::DispatchQueue(std::string label) : DispatchQueue(std::move(label), Kind::serial) {}

DispatchQueue::DispatchQueue(std::string label, Kind kind) : state_(std::make_shared<State>(std::move(label), kind)) {
  state_->selfRef = state_;
}

DispatchQueue::~DispatchQueue() {
  std::thread worker;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    worker = std::move(state_->worker);
  }
  state_->changed.notify_all();
  if (!worker.joinable()) return;
  if (worker.get_id() == std::this_thread::get_id())
    worker.detach();  // destroyed by one of its own items: let it finish alone
  else
    worker.join();
}

DispatchQueue& DispatchQueue::main() {
  static DispatchQueue queue("com.apple.main-thread", Kind::main);
  return queue;
}

void DispatchQueue::async(Work work) { asyncAfter(Clock::duration::zero(), std::move(work)); }

void DispatchQueue::asyncAfter(Clock::duration delay, Work work) {
  // Held until add() returns: once the item is queued, it may run and destroy
  // this queue (and with it the last other reference) before add() is done.
  auto state = state_;
  state->add(Clock::now() + std::max(delay, Clock::duration::zero()), std::move(work));
}

void DispatchQueue::sync(const Work& work) {
  if (isCurrent() || std::find(activeQueues.begin(), activeQueues.end(), state_.get()) != activeQueues.end())
    throw DispatchDeadlock("sync onto queue '" + state_->label + "' from that queue would wait forever");
  std::promise<void> done;
  std::exception_ptr failure;
  auto state = state_;  // the work may destroy this queue; see asyncAfter
  state->add(Clock::now(),
              [&] {
                try {
                  work();
                } catch (...) {
                  failure = std::current_exception();
                }
                done.set_value();
              },
              activeQueues);
  done.get_future().wait();
  if (failure) std::rethrow_exception(failure);
}

const std::string& DispatchQueue::label() const { return state_->label; }

bool DispatchQueue::isCurrent() const {
  if (state_->kind == Kind::main) return isMainThread();
  return !activeQueues.empty() && activeQueues.back() == state_.get();
}

bool isMainThread() { return std::this_thread::get_id() == kMainThreadId; }

void setMainQueueDriver(MainQueueDriver* driver) {
  mainDriver.store(driver);
  if (driver) driver->wakeUp(RunLoop::nextDueTime());
}

struct DispatchInternals {
  static DispatchQueue::State& mainState() { return *DispatchQueue::main().state_; }
};

namespace RunLoop {

int drainMainQueue() {
  auto& state = DispatchInternals::mainState();
  int ran = 0;
  for (;;) {
    std::optional<DispatchQueue::State::Item> item;
    {
      std::lock_guard lock(state.mutex);
      item = state.takeDue(Clock::now());
    }
    if (!item) break;
    state.run(*item);
    ++ran;
  }
  // Tell the event loop when the next delayed item is due.
  if (auto* driver = mainDriver.load(); driver && nextDueTime() != Clock::time_point::max())
    driver->wakeUp(nextDueTime());
  return ran;
}

Clock::time_point nextDueTime() {
  auto& state = DispatchInternals::mainState();
  std::lock_guard lock(state.mutex);
  return state.items.empty() ? Clock::time_point::max() : state.items.begin()->first.first;
}

bool runUntil(const std::function<bool()>& done, Clock::duration timeout) {
  auto& state = DispatchInternals::mainState();
  auto deadline = Clock::now() + timeout;
  for (;;) {
    drainMainQueue();
    if (done && done()) return true;
    std::unique_lock lock(state.mutex);
    if (state.runLoopStopRequested) {
      state.runLoopStopRequested = false;
      return done && done();
    }
    auto now = Clock::now();
    if (now >= deadline) return done && done();
    // The predicate may turn true on another thread without telling us: look
    // again every few milliseconds.
    auto wakeAt = std::min(deadline, now + std::chrono::milliseconds(done ? 5 : 1000));
    if (!state.items.empty()) wakeAt = std::min(wakeAt, state.items.begin()->first.first);
    if (wakeAt > now) state.changed.wait_until(lock, wakeAt);
  }
}

void runFor(Clock::duration duration) { runUntil(nullptr, duration); }

void run() { runUntil(nullptr, Clock::duration::max() / 2); }

void stop() {
  auto& state = DispatchInternals::mainState();
  {
    std::lock_guard lock(state.mutex);
    state.runLoopStopRequested = true;
  }
  state.changed.notify_all();
}

}  // namespace RunLoop

}  // namespace platform
