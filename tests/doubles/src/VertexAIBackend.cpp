#include "test_doubles/VertexAIBackend.hpp"

#include <filesystem>

#include "FirebaseVertexAI/VertexAI.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIROptions.hpp"
#include "foundation/Json.hpp"
#include "test_support/TestEnvironment.hpp"

namespace test_doubles {

VertexAIBackend::VertexAIBackend() : baseURL_("VERTEXAI_BASE_URL", server.baseURL()) {}

void VertexAIBackend::answer(const std::string& text) { server.reply(200, responseWithText(text)); }

std::string VertexAIBackend::generatePath(const std::string& model) {
  return std::string("/v1beta/projects/") + kShippedProjectID + "/locations/us-central1/publishers/google/models/" +
         model + ":generateContent";
}

std::string responseWithText(const std::string& text, const std::string& finishReason) {
  platform::json::Value candidate{{"content", {{"role", "model"}, {"parts", {{{"text", text}}}}}},
                                  {"finishReason", finishReason}};
  return platform::json::Value{{"candidates", {candidate}}}.dump();
}

void resetApps() {
  firebase::FIRApp::resetForTesting();
  firebase::vertexai::VertexAI::resetInstances();
}

void configureDefaultAppFromShippedOptions() {
  resetApps();
  auto resources = test_support::IsolatedEnvironment::bundlePath() / "Resources";
  std::filesystem::create_directories(resources);
  std::filesystem::copy_file(QUORBEL_OPTIONS_LIST, resources / "GoogleService-Info.plist",
                             std::filesystem::copy_options::overwrite_existing);
  firebase::FIRApp::configure();
}

void configureDefaultAppWithout(const std::string& optionsKey) {
  resetApps();
  auto options = firebase::FIROptions::optionsWithContentsOfFile(QUORBEL_OPTIONS_LIST);
  auto dictionary = options->optionsDictionary();
  dictionary.erase(optionsKey);
  firebase::FIRApp::configureWithOptions(firebase::FIROptions(dictionary));
}

}  // namespace test_doubles
