#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "firebase_core/HeartbeatController.hpp"

namespace firebase {

// What today's flush found: a heartbeat was taken out, or none was stored.
enum class FIRDailyHeartbeatCode { none = 0, some = 2 };

// The heartbeat logger each app owns: logs today's heartbeat with the current
// user agent and hands the stored heartbeats out as a header value.
class FIRHeartbeatLogger {
 public:
  using UserAgentProvider = std::function<std::string()>;

  // The shared store for the app ID; the agent is FIRApp::firebaseUserAgent().
  explicit FIRHeartbeatLogger(const std::string& appID);
  FIRHeartbeatLogger(const std::string& appID, UserAgentProvider userAgentProvider);
  FIRHeartbeatLogger(std::shared_ptr<HeartbeatController> controller, UserAgentProvider userAgentProvider);

  // A provider that reads FIRApp::firebaseUserAgent() each time it is called,
  // so libraries registered later are part of the agent.
  static UserAgentProvider currentUserAgentProvider();

  void log();
  HeartbeatsPayload flushHeartbeatsIntoPayload();
  void flushHeartbeatsIntoPayload(std::function<void(const HeartbeatsPayload&)> completionHandler);
  // Absent when nothing was stored.
  std::optional<std::string> headerValue();
  void asyncHeaderValue(std::function<void(std::optional<std::string>)> completionHandler);
  FIRDailyHeartbeatCode heartbeatCodeForToday();

 private:
  std::shared_ptr<HeartbeatController> heartbeatController_;
  UserAgentProvider userAgentProvider_;
};

}  // namespace firebase
