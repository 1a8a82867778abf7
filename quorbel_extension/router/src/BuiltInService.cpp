#include "router/BuiltInService.hpp"

#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRException.hpp"
#include "router/ExtensionLLMAPIError.hpp"

#include <mutex>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace quorbel {
namespace {

// The built-in service as this build has it: the default app is the app
// core's; the Vertex AI client is not part of the build, so a request that
// passes the configuration checks is reported as unavailable rather than
// answered by anything pretending to be the model.
class AppCoreBuiltInService final : public BuiltInService {
 public:
  std::optional<std::string> configureDefaultAppIfNeeded() override {
    if (firebase::FIRApp::isDefaultAppConfigured()) return std::nullopt;
    try {
      firebase::FIRApp::configure();
    } catch (const firebase::FIRException& e) {
      return e.reason();
    }
    return std::nullopt;
  }

  std::optional<AppOptions> defaultAppOptions() override {
    auto app = firebase::FIRApp::defaultApp();
    if (!app) return std::nullopt;
    auto options = app->options();
    return AppOptions{options.projectID().value_or(""), options.APIKey().value_or(""),
                      options.googleAppID().value_or("")};
  }

  std::expected<std::optional<std::string>, platform::ErrorPtr> generateContent(const std::string&,
                                                                                const std::string&, double) override {
    return std::unexpected(
        ExtensionLLMAPIError::serviceNotAvailable("the Vertex AI client is not part of this build"));
  }
};

std::mutex& slotMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<BuiltInService>& slot() {
  static std::shared_ptr<BuiltInService> service = std::make_shared<AppCoreBuiltInService>();
  return service;
}

}  // namespace

BuiltInService& BuiltInService::shared() { return *sharedInstance(); }

std::shared_ptr<BuiltInService> BuiltInService::sharedInstance() {
  std::lock_guard lock(slotMutex());
  return slot();
}

void BuiltInService::setShared(std::shared_ptr<BuiltInService> service) {
  std::lock_guard lock(slotMutex());
  slot() = service ? std::move(service) : std::make_shared<AppCoreBuiltInService>();
}

bool isUsableModelName(const std::string& modelName) {
  if (modelName.empty()) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(modelName.data());
  int32_t length = static_cast<int32_t>(modelName.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    // Invalid UTF-8 is refused too: the name goes into a URL path.
    if (c < 0 || c == '/' || u_isUWhiteSpace(c)) return false;
  }
  return true;
}

std::optional<std::string> builtInServiceProblem(BuiltInService& service, const std::string& modelName) {
  auto options = service.defaultAppOptions();
  if (!options) return "No default app is configured";
  if (options->projectID.empty()) return "The default app has no project ID in its configuration";
  if (options->apiKey.empty()) return "The default app has no API key in its configuration";
  if (!isUsableModelName(modelName)) return "The model name '" + modelName + "' is not usable";
  return std::nullopt;
}

}  // namespace quorbel
