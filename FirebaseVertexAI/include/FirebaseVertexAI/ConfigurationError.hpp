#pragma once

#include <string>

#include "foundation/Error.hpp"

namespace firebase::vertexai {

// Why the entry point cannot make an instance or a model. The callers get it
// as an error; the process goes on.
class ConfigurationError final : public platform::Error {
 public:
  static constexpr const char* kDomain = "FirebaseVertexAI.ConfigurationError";
  enum class Kind { noDefaultApp, noProjectID, noAPIKey, invalidModelName, missingLocation, invalidLocation };

  static platform::ErrorPtr noDefaultApp();
  static platform::ErrorPtr noProjectID(const std::string& appName);
  static platform::ErrorPtr noAPIKey(const std::string& appName);
  static platform::ErrorPtr invalidModelName(const std::string& modelName);
  static platform::ErrorPtr missingLocation();
  static platform::ErrorPtr invalidLocation(const std::string& location);

  // Where the supported model names are listed (also named by the warning
  // for a name without the "gemini-" prefix).
  static const char* supportedModelsLink();

  Kind kind() const { return kind_; }
  const std::string& message() const { return message_; }

  std::string domain() const override { return kDomain; }
  long code() const override { return static_cast<long>(kind_); }
  std::string localizedDescription() const override { return message_; }

 private:
  ConfigurationError(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
  Kind kind_;
  std::string message_;
};

}  // namespace firebase::vertexai
