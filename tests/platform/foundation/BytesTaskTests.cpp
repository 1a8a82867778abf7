// The URL session's bytes task, which hands a body over as it arrives, and
// cancelling tasks.
#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

#include "foundation/Dispatch.hpp"
#include "foundation/URLSession.hpp"
#include "test_support/LoopbackServer.hpp"
#include "test_support/ScriptedHTTPServer.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::URLRequest;
using platform::URLSession;
using test_support::ScriptedHTTPServer;
using namespace std::chrono_literals;

namespace {

// What one bytes task handed over, in order; waits with a ten-second guard.
class BytesRecorder {
 public:
  platform::BytesTaskHandlers handlers() {
    return {[this](const platform::HTTPURLResponse& response) {
              std::lock_guard lock(mutex_);
              events_.push_back("response " + std::to_string(response.statusCode));
              offSessionThread_ |= platform::isMainThread();
              changed_.notify_all();
            },
            [this](std::string_view piece) {
              std::lock_guard lock(mutex_);
              body_ += piece;
              if (events_.empty() || events_.back() != "data") events_.push_back("data");
              changed_.notify_all();
            },
            [this](platform::ErrorPtr error) {
              std::lock_guard lock(mutex_);
              events_.push_back(error ? "error " + std::to_string(error->code()) : "end");
              ++ends_;
              changed_.notify_all();
            }};
  }
  bool waitForBody(std::string_view expected) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, test_support::kHangGuard, [&] { return body_ == expected; });
  }
  // The events once the task has ended: "response 200", "data", "end" ...
  std::vector<std::string> events() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, test_support::kHangGuard, [&] { return ends_ > 0; });
    return events_;
  }
  std::string body() {
    std::lock_guard lock(mutex_);
    return body_;
  }
  bool ranOnMainThread() {
    std::lock_guard lock(mutex_);
    return offSessionThread_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
  std::string body_;
  int ends_ = 0;
  bool offSessionThread_ = false;
};

URLRequest get(const std::string& url, double timeout = 60) {
  URLRequest request;
  request.url = url;
  request.timeoutInterval = timeout;
  return request;
}

// A latch a server handler may wait on after the test body has ended.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  void release() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return open; });
  }
};

TEST(BytesTask, HandsTheBodyOverAsItArrivesThenEndsOnce) {
  ScriptedHTTPServer server;
  auto received = std::make_shared<Gate>();
  server.handle([received](ScriptedHTTPServer::Exchange& exchange) {
    exchange.beginChunked(200, "text/plain");
    exchange.sendChunk("abc");
    received->wait();  // the second piece waits for the first to arrive
    exchange.sendChunk("def");
    exchange.endChunked();
  });
  BytesRecorder recorder;
  URLSession::shared().bytesTask(get(server.baseURL() + "/stream"), recorder.handlers());
  ASSERT_TRUE(recorder.waitForBody("abc"));
  received->release();
  EXPECT_EQ(recorder.events(), (std::vector<std::string>{"response 200", "data", "end"}));
  EXPECT_EQ(recorder.body(), "abcdef");
  EXPECT_FALSE(recorder.ranOnMainThread());
}

TEST(BytesTask, FollowsRedirectsAndHandsOverOnlyTheFinalReply) {
  ScriptedHTTPServer target, origin;
  target.reply(200, "final body", "text/plain");
  origin.handle([&](ScriptedHTTPServer::Exchange& exchange) {
    exchange.sendRaw("HTTP/1.1 302 Found\r\nLocation: " + target.baseURL() +
                     "/there\r\nContent-Length: 5\r\nConnection: close\r\n\r\nmoved");
  });
  BytesRecorder recorder;
  URLSession::shared().bytesTask(get(origin.baseURL() + "/here"), recorder.handlers());
  EXPECT_EQ(recorder.events(), (std::vector<std::string>{"response 200", "data", "end"}));
  EXPECT_EQ(recorder.body(), "final body");
  EXPECT_EQ(target.requests().back().target, "/there");
}

TEST(BytesTask, FailuresEndTheTaskWithTheSessionsErrors) {
  struct Case {
    const char* name;
    std::string url;
    long code;
  } cases[] = {
      {"NothingListens", "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()),
       platform::URLErrorCannotConnectToHost},
      {"NoHost", "http:///stream", platform::URLErrorBadURL},
      {"OtherScheme", "ftp://127.0.0.1/stream", platform::URLErrorUnsupportedURL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BytesRecorder recorder;
    URLSession::shared().bytesTask(get(c.url), recorder.handlers());
    EXPECT_EQ(recorder.events(), std::vector<std::string>{"error " + std::to_string(c.code)});
  }
}

TEST(BytesTask, AStreamThatStallsTimesOut) {
  ScriptedHTTPServer server;
  auto done = std::make_shared<Gate>();
  server.handle([done](ScriptedHTTPServer::Exchange& exchange) {
    exchange.beginChunked(200, "text/plain");
    exchange.sendChunk("first");
    done->wait();
  });
  BytesRecorder recorder;
  // Far more than the exchange up to the first chunk takes on a busy machine.
  URLSession::shared().bytesTask(get(server.baseURL(), 3), recorder.handlers());
  auto events = recorder.events();
  done->release();
  EXPECT_EQ(events, (std::vector<std::string>{"response 200", "data",
                                              "error " + std::to_string(platform::URLErrorTimedOut)}));
}

TEST(Cancel, EndsARunningOrWaitingTaskOnceWithTheCancelledError) {
  ScriptedHTTPServer server;
  auto done = std::make_shared<Gate>();
  server.handle([done](ScriptedHTTPServer::Exchange& exchange) {
    exchange.beginChunked(200, "text/plain");
    exchange.sendChunk("first");
    done->wait();
  });
  const std::string cancelled = "error " + std::to_string(platform::URLErrorCancelled);

  BytesRecorder running;
  auto task = URLSession::shared().bytesTask(get(server.baseURL()), running.handlers());
  ASSERT_TRUE(running.waitForBody("first"));
  task->cancel();
  task->cancel();  // a second cancel changes nothing
  EXPECT_EQ(running.events(), (std::vector<std::string>{"response 200", "data", cancelled}));
  EXPECT_TRUE(task->isCancelled());

  BytesRecorder early;
  URLSession::shared().bytesTask(get(server.baseURL()), early.handlers())->cancel();
  auto events = early.events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), cancelled);

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<long> codes;
  auto dataTask = URLSession::shared().dataTask(get(server.baseURL()), [&](auto, auto, platform::ErrorPtr error) {
    std::lock_guard lock(mutex);
    codes.push_back(error ? error->code() : 0);
    changed.notify_all();
  });
  dataTask->cancel();
  std::unique_lock lock(mutex);
  changed.wait_for(lock, test_support::kHangGuard, [&] { return !codes.empty(); });
  EXPECT_EQ(codes, std::vector<long>{platform::URLErrorCancelled});
  lock.unlock();
  done->release();
}

}  // namespace
