#include "firebase_core/Heartbeat.hpp"

namespace firebase {

HeartbeatsPayload Heartbeat::makePayload() const {
  return HeartbeatsPayload{{{agent, {date}}}, HeartbeatsPayload::kVersion};
}

}  // namespace firebase
