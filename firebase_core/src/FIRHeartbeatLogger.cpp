#include "firebase_core/FIRHeartbeatLogger.hpp"

#include "firebase_core/FIRApp.hpp"

namespace firebase {

FIRHeartbeatLogger::FIRHeartbeatLogger(const std::string& appID)
    : FIRHeartbeatLogger(appID, currentUserAgentProvider()) {}

FIRHeartbeatLogger::FIRHeartbeatLogger(const std::string& appID, UserAgentProvider userAgentProvider)
    : FIRHeartbeatLogger(std::make_shared<HeartbeatController>(appID), std::move(userAgentProvider)) {}

FIRHeartbeatLogger::FIRHeartbeatLogger(std::shared_ptr<HeartbeatController> controller,
                                       UserAgentProvider userAgentProvider)
    : heartbeatController_(std::move(controller)), userAgentProvider_(std::move(userAgentProvider)) {}

FIRHeartbeatLogger::UserAgentProvider FIRHeartbeatLogger::currentUserAgentProvider() {
  return [] { return FIRApp::firebaseUserAgent(); };
}

void FIRHeartbeatLogger::log() { heartbeatController_->log(userAgentProvider_()); }

HeartbeatsPayload FIRHeartbeatLogger::flushHeartbeatsIntoPayload() { return heartbeatController_->flush(); }

void FIRHeartbeatLogger::flushHeartbeatsIntoPayload(std::function<void(const HeartbeatsPayload&)> completionHandler) {
  heartbeatController_->flushAsync(std::move(completionHandler));
}

std::optional<std::string> FIRHeartbeatLogger::headerValue() {
  const HeartbeatsPayload payload = flushHeartbeatsIntoPayload();
  return FIRHeaderValueFromHeartbeatsPayload(&payload);
}

void FIRHeartbeatLogger::asyncHeaderValue(std::function<void(std::optional<std::string>)> completionHandler) {
  flushHeartbeatsIntoPayload([completionHandler = std::move(completionHandler)](const HeartbeatsPayload& payload) {
    completionHandler(FIRHeaderValueFromHeartbeatsPayload(&payload));
  });
}

FIRDailyHeartbeatCode FIRHeartbeatLogger::heartbeatCodeForToday() {
  return heartbeatController_->flushHeartbeatFromToday().isEmpty() ? FIRDailyHeartbeatCode::none
                                                                   : FIRDailyHeartbeatCode::some;
}

}  // namespace firebase
