#include "firebase_core/FIROptions.hpp"

#include <fmt/format.h>

#include <mutex>
#include <vector>

#include "PropertyNumber.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRBundleUtil.hpp"
#include "firebase_core/FIRException.hpp"
#include "firebase_core/FIRLogger.hpp"
#include "firebase_core/Version.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/PropertyList.hpp"

namespace firebase {

namespace {

constexpr const char* kIsMeasurementEnabled = "IS_MEASUREMENT_ENABLED";
constexpr const char* kIsAnalyticsCollectionEnabled = "FIREBASE_ANALYTICS_COLLECTION_ENABLED";
constexpr const char* kIsAnalyticsCollectionDeactivated = "FIREBASE_ANALYTICS_COLLECTION_DEACTIVATED";

struct DefaultOptionsCache {
  std::mutex mutex;
  bool dictionaryRead = false;
  std::optional<FIROptions::Dictionary> dictionary;
  bool optionsMade = false;
  std::shared_ptr<FIROptions> options;
};

DefaultOptionsCache& defaultOptionsCache() {
  static DefaultOptionsCache cache;
  return cache;
}

std::optional<FIROptions::Dictionary> readDictionary(const std::filesystem::path& path) {
  auto value = platform::plist::readFile(path);
  if (!value || value->asDictionary() == nullptr) return std::nullopt;
  return *value->asDictionary();
}

// The caller holds the cache's mutex.
const std::optional<FIROptions::Dictionary>& defaultDictionaryLocked(DefaultOptionsCache& cache) {
  if (!cache.dictionaryRead) {
    cache.dictionaryRead = true;
    if (auto path = FIROptions::plistFilePathWithName(FIROptions::kServiceInfoFileName)) {
      cache.dictionary = readDictionary(*path);
      if (!cache.dictionary) {
        FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000011",
               "The configuration file is not a dictionary: '{}.{}'.", FIROptions::kServiceInfoFileName,
               FIROptions::kServiceInfoFileType);
      }
    }
  }
  return cache.dictionary;
}

}  // namespace

std::optional<std::filesystem::path> FIROptions::plistFilePathWithName(const std::string& name) {
  auto path = FIRBundleUtil::optionsDictionaryPathWithResourceName(name, kServiceInfoFileType,
                                                                   FIRBundleUtil::relevantBundles());
  if (!path) {
    FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000012", "Could not locate configuration file: '{}.{}'.", name,
           kServiceInfoFileType);
  }
  return path;
}

std::optional<FIROptions::Dictionary> FIROptions::defaultOptionsDictionary() {
  auto& cache = defaultOptionsCache();
  std::lock_guard lock(cache.mutex);
  return defaultDictionaryLocked(cache);
}

std::shared_ptr<FIROptions> FIROptions::defaultOptions() {
  auto& cache = defaultOptionsCache();
  std::lock_guard lock(cache.mutex);
  if (!cache.optionsMade) {
    cache.optionsMade = true;
    if (const auto& dictionary = defaultDictionaryLocked(cache))
      cache.options = std::make_shared<FIROptions>(*dictionary);
  }
  return cache.options;
}

void FIROptions::resetDefaultOptions() {
  auto& cache = defaultOptionsCache();
  std::lock_guard lock(cache.mutex);
  cache.dictionaryRead = false;
  cache.dictionary.reset();
  cache.optionsMade = false;
  cache.options.reset();
}

std::optional<FIROptions> FIROptions::optionsWithContentsOfFile(const std::filesystem::path& path) {
  if (path.empty()) {
    FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000013", "The plist file path is nil.");
    return std::nullopt;
  }
  auto dictionary = readDictionary(path);
  if (!dictionary) {
    FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000014",
           "The configuration file at {} does not exist or is not a well-formed plist file.", path.string());
    return std::nullopt;
  }
  FIROptions options(std::move(*dictionary));
  options.usingOptionsFromDefaultPlist_ = false;
  return options;
}

FIROptions::FIROptions(const std::string& googleAppID, const std::string& GCMSenderID) {
  optionsDictionary_["GOOGLE_APP_ID"] = googleAppID;
  optionsDictionary_["GCM_SENDER_ID"] = GCMSenderID;
  optionsDictionary_["BUNDLE_ID"] = platform::Bundle::main().bundleIdentifier();
}

FIROptions::FIROptions(Dictionary optionsDictionary)
    : usingOptionsFromDefaultPlist_(true), optionsDictionary_(std::move(optionsDictionary)) {}

FIROptions::FIROptions(const FIROptions& other)
    : usingOptionsFromDefaultPlist_(other.usingOptionsFromDefaultPlist_),
      editingLocked_(other.editingLocked_),
      deepLinkURLScheme_(other.deepLinkURLScheme_),
      appGroupID_(other.appGroupID_),
      optionsDictionary_(other.optionsDictionary_) {}

FIROptions& FIROptions::operator=(const FIROptions& other) {
  if (this != &other) {
    analyticsOptionsDictionary_.reset();
    usingOptionsFromDefaultPlist_ = other.usingOptionsFromDefaultPlist_;
    editingLocked_ = other.editingLocked_;
    deepLinkURLScheme_ = other.deepLinkURLScheme_;
    appGroupID_ = other.appGroupID_;
    optionsDictionary_ = other.optionsDictionary_;
  }
  return *this;
}

std::optional<std::string> FIROptions::text(const std::string& key) const {
  auto it = optionsDictionary_.find(key);
  if (it == optionsDictionary_.end() || it->second.asString() == nullptr) return std::nullopt;
  return *it->second.asString();
}

void FIROptions::checkEditingLocked() const {
  if (editingLocked_) {
    throw FIRException(kFirebaseCoreErrorDomain,
                       "Attempted to modify options after it's set on FIRApp. Please modify all properties before "
                       "initializing FIRApp.");
  }
}

void FIROptions::setText(const std::string& key, const std::optional<std::string>& value) {
  checkEditingLocked();
  if (value) {
    optionsDictionary_[key] = *value;
  } else {
    optionsDictionary_.erase(key);
  }
}

void FIROptions::setDeepLinkURLScheme(const std::optional<std::string>& value) {
  checkEditingLocked();
  deepLinkURLScheme_ = value;
}

void FIROptions::setAppGroupID(const std::optional<std::string>& value) {
  checkEditingLocked();
  appGroupID_ = value;
}

const std::string& FIROptions::libraryVersionID() {
  static const std::string identifier = [] {
    std::vector<int> parts;
    std::string_view version = FIRFirebaseVersion();
    while (parts.size() < 3) {
      const auto dot = version.find('.');
      parts.push_back(std::atoi(std::string(version.substr(0, dot)).c_str()));
      if (dot == std::string_view::npos) break;
      version.remove_prefix(dot + 1);
    }
    parts.resize(3);
    return fmt::format("{:02}{:02}{:02}000", parts[0], parts[1], parts[2]);
  }();
  return identifier;
}

const FIROptions::Dictionary& FIROptions::analyticsOptionsDictionary() const {
  if (!analyticsOptionsDictionary_) {
    Dictionary analytics;
    const auto& info = platform::Bundle::main().infoDictionary();
    for (const char* key : {kIsMeasurementEnabled, kIsAnalyticsCollectionEnabled, kIsAnalyticsCollectionDeactivated}) {
      if (auto it = info.find(key); it != info.end()) {
        analytics[key] = it->second;
      } else if (auto own = optionsDictionary_.find(key); own != optionsDictionary_.end()) {
        analytics[key] = own->second;
      }
    }
    analyticsOptionsDictionary_ = std::move(analytics);
  }
  return *analyticsOptionsDictionary_;
}

std::optional<bool> FIROptions::analyticsFlag(const std::string& key) const {
  const auto& analytics = analyticsOptionsDictionary();
  auto it = analytics.find(key);
  if (it == analytics.end()) return std::nullopt;
  return numberAsBool(it->second);
}

bool FIROptions::isAnalyticsCollectionDeactivated() const {
  return analyticsFlag(kIsAnalyticsCollectionDeactivated).value_or(false);
}

bool FIROptions::isMeasurementEnabled() const {
  if (isAnalyticsCollectionDeactivated()) return false;
  if (auto flag = analyticsFlag(kIsMeasurementEnabled)) return *flag;
  if (auto app = FIRApp::defaultAppIfConfigured()) return app->isDataCollectionDefaultEnabled();
  return false;
}

bool FIROptions::isAnalyticsCollectionEnabled() const {
  if (isAnalyticsCollectionDeactivated()) return false;
  if (auto flag = analyticsFlag(kIsAnalyticsCollectionEnabled)) return *flag;
  return isMeasurementEnabled();
}

bool FIROptions::isAnalyticsCollectionExplicitlySet() const {
  if (isAnalyticsCollectionDeactivated()) return true;
  return analyticsFlag(kIsAnalyticsCollectionEnabled).has_value() || analyticsFlag(kIsMeasurementEnabled).has_value();
}

bool FIROptions::operator==(const FIROptions& other) const {
  return optionsDictionary_ == other.optionsDictionary_ && deepLinkURLScheme_ == other.deepLinkURLScheme_ &&
         appGroupID_ == other.appGroupID_ && analyticsOptionsDictionary() == other.analyticsOptionsDictionary();
}

}  // namespace firebase
