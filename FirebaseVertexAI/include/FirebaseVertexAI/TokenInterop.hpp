#pragma once

#include <functional>
#include <optional>
#include <string>

#include "firebase_core/FIRComponent.hpp"
#include "foundation/Error.hpp"

// The App Check and Auth providers that an app's component container may
// hold. Nothing in this system registers one; a request asks each that is
// present for a token before it is sent.
namespace firebase {

struct FIRAppCheckTokenResult {
  std::string token;  // sent even when `error` is set
  platform::ErrorPtr error;
};

class FIRAppCheckInterop : public FIRComponentInstance {
 public:
  static constexpr const char* kProtocolName = "FIRAppCheckInterop";
  // The completion may run on any thread, exactly once.
  virtual void getTokenForcingRefresh(bool forcingRefresh,
                                      std::function<void(FIRAppCheckTokenResult result)> completion) = 0;
};

class FIRAuthInterop : public FIRComponentInstance {
 public:
  static constexpr const char* kProtocolName = "FIRAuthInterop";
  // The callback may run on any thread, exactly once: a token, an error, or
  // neither (no signed-in user).
  virtual void getTokenForcingRefresh(
      bool forcingRefresh, std::function<void(std::optional<std::string> token, platform::ErrorPtr error)> callback) = 0;
};

}  // namespace firebase
