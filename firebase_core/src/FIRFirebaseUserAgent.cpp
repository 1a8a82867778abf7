#include "firebase_core/FIRFirebaseUserAgent.hpp"

#include <algorithm>
#include <cctype>
#include <vector>

#include "firebase_core/GULAppEnvironmentUtil.hpp"
#include "foundation/Bundle.hpp"

namespace firebase {

namespace {

std::optional<std::string> infoText(const std::string& key) {
  const auto* value = platform::Bundle::main().objectForInfoDictionaryKey(key);
  if (value == nullptr || value->asString() == nullptr) return std::nullopt;
  return *value->asString();
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) < std::tolower(y);
  });
}

}  // namespace

FIRFirebaseUserAgent::Components FIRFirebaseUserAgent::environmentComponents() {
  Components components;
  auto put = [&](const std::string& name, const std::optional<std::string>& value) {
    if (value) components[name] = *value;
  };
  put("apple-platform", GULAppEnvironmentUtil::applePlatform());
  put("apple-sdk", infoText("DTSDKBuild"));
  put("appstore", GULAppEnvironmentUtil::isFromAppStore() ? "true" : "false");
  put("deploy", GULAppEnvironmentUtil::deploymentType());
  put("device", GULAppEnvironmentUtil::deviceModel());
  put("os-version", GULAppEnvironmentUtil::systemVersion());
  put("xcode", infoText("DTXcodeBuild"));
  return components;
}

std::string FIRFirebaseUserAgent::firebaseUserAgent() {
  std::lock_guard lock(mutex_);
  if (cached_) return *cached_;
  if (!environment_) environment_ = environmentComponents();
  Components all = valuesByComponent_;
  for (const auto& [name, value] : *environment_) all[name] = value;
  std::vector<std::string> entries;
  for (const auto& [name, value] : all) entries.push_back(name + "/" + value);
  std::stable_sort(entries.begin(), entries.end(), lessIgnoringCase);
  std::string text;
  for (const auto& entry : entries) {
    if (!text.empty()) text += ' ';
    text += entry;
  }
  cached_ = text;
  return text;
}

void FIRFirebaseUserAgent::setValue(const std::optional<std::string>& value, const std::string& component) {
  std::lock_guard lock(mutex_);
  if (value) {
    valuesByComponent_[component] = *value;
  } else {
    valuesByComponent_.erase(component);
  }
  cached_.reset();
}

void FIRFirebaseUserAgent::reset() {
  std::lock_guard lock(mutex_);
  valuesByComponent_ = environmentComponents();
  cached_.reset();
}

FIRFirebaseUserAgent::Components FIRFirebaseUserAgent::valuesByComponent() {
  std::lock_guard lock(mutex_);
  return valuesByComponent_;
}

}  // namespace firebase
