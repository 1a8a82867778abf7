#pragma once

#include <memory>
#include <string>

#include "FirebaseVertexAI/TokenInterop.hpp"

namespace firebase {
class FIRApp;  // firebase_core/FIRApp.hpp; kept out of this header, which view code includes
}

namespace firebase::vertexai {

// What every request of the client reads of its app: the key and project
// from the app's options, the app identifier, and the token providers found
// in the app's container (none in this system). A copy shares the objects.
struct FirebaseInfo {
  std::shared_ptr<FIRAppCheckInterop> appCheck;
  std::shared_ptr<FIRAuthInterop> auth;
  std::string projectID;
  std::string apiKey;
  std::string firebaseAppID;  // the options' googleAppID
  std::shared_ptr<FIRApp> app;
};

}  // namespace firebase::vertexai
