#pragma once

#include <memory>
#include <string>

#include "FirebaseVertexAI/GenerativeModel.hpp"
#include "FirebaseVertexAI/Operation.hpp"

namespace quorbel {

// The built-in service's direct road, as the router, the compose view
// controller and the application's connection test take it.
inline constexpr const char* kVertexAILocation = "us-central1";
inline constexpr double kVertexAITimeout = 180;  // seconds

// A model for the name on the default app's shared Vertex AI instance in
// "us-central1", with a 180-second time-out and no other settings; or the
// client's configuration error (no default app, no project ID or API key, an
// invalid model name), whose description names the problem.
firebase::vertexai::Result<std::shared_ptr<firebase::vertexai::GenerativeModel>> makeBuiltInModel(
    const std::string& modelName);

}  // namespace quorbel
