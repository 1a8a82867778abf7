#pragma once

#include <atomic>
#include <expected>
#include <functional>
#include <memory>
#include <mutex>

#include "foundation/Error.hpp"
#include "foundation/URLSession.hpp"

// The one asynchronous shape of the client. An operation takes the queue its
// outcome is delivered on (the main queue for callers that update their
// interface, a serial queue of their own otherwise) and returns a handle that
// can cancel it:
//   - a one-shot call delivers its Result exactly once;
//   - a streamed call delivers each response in order as it arrives, then
//     its end (a null error) or its error, exactly once;
// all on the named queue, which must outlive the operation. Nothing blocks
// the calling thread.
namespace firebase::vertexai {

template <typename T>
using Result = std::expected<T, platform::ErrorPtr>;
template <typename T>
using Completion = std::function<void(Result<T>)>;

template <typename T>
struct StreamHandlers {
  std::function<void(T element)> onElement;
  // Null for a stream that ended normally.
  std::function<void(platform::ErrorPtr error)> onEnd;
};

// A running operation. Cancelling stops its network exchange; the operation
// then ends as a failed one does, with the URL session's cancelled error,
// still exactly once.
class Operation {
 public:
  void cancel();
  bool isCancelled() const { return cancelled_.load(); }

  // The exchange that carries the operation now; one attached after cancel()
  // is cancelled at once.
  void attach(std::shared_ptr<platform::URLSessionTask> task);

 private:
  mutable std::mutex mutex_;
  std::atomic<bool> cancelled_{false};
  std::shared_ptr<platform::URLSessionTask> task_;
};

using OperationHandle = std::shared_ptr<Operation>;

// The session's error for an exchange that was cancelled before it started.
platform::ErrorPtr cancelledError();

}  // namespace firebase::vertexai
