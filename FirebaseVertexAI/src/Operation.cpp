#include "FirebaseVertexAI/Operation.hpp"

namespace firebase::vertexai {

void Operation::cancel() {
  std::shared_ptr<platform::URLSessionTask> task;
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    task = task_;
  }
  if (task) task->cancel();
}

void Operation::attach(std::shared_ptr<platform::URLSessionTask> task) {
  {
    std::lock_guard lock(mutex_);
    task_ = task;
    if (!cancelled_) return;
  }
  task->cancel();
}

platform::ErrorPtr cancelledError() {
  return platform::makeError(platform::kURLErrorDomain, platform::URLErrorCancelled, "cancelled");
}

}  // namespace firebase::vertexai
