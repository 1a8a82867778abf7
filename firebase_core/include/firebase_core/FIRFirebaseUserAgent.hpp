#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace firebase {

// The text naming the libraries and the environment of this process, as
// "name/value" pairs sorted case-insensitively and joined by blanks. Every
// stored heartbeat records it.
class FIRFirebaseUserAgent {
 public:
  using Components = std::map<std::string, std::string>;

  FIRFirebaseUserAgent() = default;

  std::string firebaseUserAgent();
  // Sets a component, or removes it when the value is absent.
  void setValue(const std::optional<std::string>& value, const std::string& component);
  // Drops every registered component and keeps only the environment.
  void reset();

  Components valuesByComponent();
  // Built fresh from the environment: platform, SDK build, App Store, deploy,
  // device, OS version and build tool; each only when it has a value.
  static Components environmentComponents();

 private:
  std::mutex mutex_;
  std::optional<std::string> cached_;
  std::optional<Components> environment_;  // computed on the first string
  Components valuesByComponent_;
};

}  // namespace firebase
