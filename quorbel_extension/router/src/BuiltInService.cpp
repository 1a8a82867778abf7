#include "router/BuiltInService.hpp"

#include <mutex>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace quorbel {
namespace {

constexpr const char* kNoDefaultApp = "No default app is configured: the Vertex AI client is not part of this build";

// What the built-in service is until the app core and the Vertex AI client
// install the real one: there is no default app, so the direct road is
// reported as not configured and no model is ever called.
class UnconfiguredBuiltInService final : public BuiltInService {
 public:
  std::optional<std::string> configureDefaultAppIfNeeded() override { return kNoDefaultApp; }
  std::optional<AppOptions> defaultAppOptions() override { return std::nullopt; }
  std::expected<std::optional<std::string>, platform::ErrorPtr> generateContent(const std::string&,
                                                                                const std::string&, double) override {
    return std::unexpected(platform::makeError("quorbel.BuiltInService", 1, kNoDefaultApp));
  }
};

std::mutex& slotMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<BuiltInService>& slot() {
  static std::shared_ptr<BuiltInService> service = std::make_shared<UnconfiguredBuiltInService>();
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
  slot() = service ? std::move(service) : std::make_shared<UnconfiguredBuiltInService>();
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
