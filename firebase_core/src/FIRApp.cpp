#include "firebase_core/FIRApp.hpp"

#include <fmt/format.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <mutex>
#include <stdexcept>
#include <utility>

#include "PropertyNumber.hpp"
#include "firebase_core/FIRAppID.hpp"
#include "firebase_core/FIRBundleUtil.hpp"
#include "firebase_core/FIRConfiguration.hpp"
#include "firebase_core/FIRException.hpp"
#include "firebase_core/FIRLogger.hpp"
#include "firebase_core/GULAppEnvironmentUtil.hpp"
#include "firebase_core/Version.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/NotificationCenter.hpp"
#include "foundation/UserDefaults.hpp"

namespace firebase {

namespace {

constexpr const char* kConsoleURL = "https://console.firebase.google.com/";
constexpr const char* kSetupGuideURL = "https://firebase.google.com/docs/ios/setup";
constexpr const char* kDataCollectionDefaultsKeyPrefix = "/google/firebase/global_data_collection_enabled:";
constexpr const char* kCoreUserAgentComponent = "fire-ios";
constexpr const char* kDataCollectionInfoKey = "FirebaseDataCollectionDefaultEnabled";

// The class lock: a recursive monitor, since ready notifications and eager
// components may call back into the registry.
std::recursive_mutex& classLock() {
  static std::recursive_mutex lock;
  return lock;
}

struct Registry {
  std::shared_ptr<FIRApp> defaultApp;
  std::optional<FIRApp::Apps> apps;
  bool librariesRegistered = false;  // once per process, even after resetApps
};

Registry& registry() {
  static Registry shared;
  return shared;
}

[[noreturn]] void raise(const std::string& reason) { throw FIRException(kFirebaseCoreErrorDomain, reason); }

// Every character is a Unicode letter or digit, or one of the extra ones.
bool consistsOfAlphanumericsAnd(std::string_view text, std::string_view extra) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t offset = 0;
  while (offset < length) {
    UChar32 character = 0;
    U8_NEXT(bytes, offset, length, character);
    if (character < 0) return false;
    if (!u_isalnum(character) &&
        (character > 0x7f || extra.find(static_cast<char>(character)) == std::string_view::npos)) {
      return false;
    }
  }
  return true;
}

}  // namespace

// Configuration

void FIRApp::configure() {
  auto options = FIROptions::defaultOptions();
  if (!options) {
    raise(
        fmt::format("`FirebaseApp.configure()` could not find a valid GoogleService-Info.plist in your project. "
                    "Please download one from {}.",
                    kConsoleURL));
  }
  configureWithOptions(*options);
}

void FIRApp::configureWithOptions(const FIROptions& options) { configureWithName(kDefaultAppName, options); }

void FIRApp::configureWithName(const std::string& name, const FIROptions& options) {
  if (name.empty()) raise("Name cannot be empty.");
  const bool isDefault = name == kDefaultAppName;
  if (!isDefault && !consistsOfAlphanumericsAnd(name, "-_")) {
    raise("App name can only contain alphanumeric, hyphen (-), and underscore (_) characters");
  }

  // The existence check and the creation happen under one hold of the lock,
  // so two threads cannot both create the same app.
  std::lock_guard lock(classLock());
  auto& shared = registry();
  if (isDefault && shared.defaultApp) {
    appWasConfiguredTwice(*shared.defaultApp, options);
    return;
  }
  if (!isDefault && shared.apps && shared.apps->contains(name)) {
    appWasConfiguredTwice(*shared.apps->at(name), options);
    return;
  }
  if (isDefault) {
    FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000001", "Configuring the default app.");
  } else {
    FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000002", "Configuring app named {}", name);
  }

  registerSwiftComponents();
  auto app = std::make_shared<FIRApp>(Private{}, name, options);
  // Throws for a rejected app, which then is neither registered nor default.
  app->addAppToAppDictionary();
  if (isDefault) shared.defaultApp = app;
  app->container().instantiateEagerComponents();
  app->sendNotificationsToSDKs();
}

void FIRApp::appWasConfiguredTwice(const FIRApp& app, const FIROptions& options) {
  if (!GULAppEnvironmentUtil::isAppExtension()) {
    if (app.isDefaultApp()) raise("Default app has already been configured.");
    raise(fmt::format("App named {} has already been configured.", app.name()));
  }
  if (!(options == app.options_)) raise(fmt::format("App named {} has already been configured.", app.name()));
  FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000035", "Ignoring second `configure` call in an extension.");
}

FIRApp::FIRApp(Private, const std::string& name, const FIROptions& options)
    : isDefaultApp_(name == kDefaultAppName), options_(options), name_(name) {
  options_.setEditingLocked(true);
  // Computed now, so that later readers on any thread only read it.
  options_.analyticsOptionsDictionary();
  container_ = std::make_unique<FIRComponentContainer>(*this);
  heartbeatLogger_ = std::make_shared<FIRHeartbeatLogger>(options_.googleAppID().value_or(std::string()));
}

FIRApp::~FIRApp() { unsubscribeFromAppDidBecomeActiveNotifications(); }

void FIRApp::addAppToAppDictionary() {
  auto& shared = registry();
  if (!configureCore()) {
    raise(
        "Configuration fails. It may be caused by an invalid GOOGLE_APP_ID in GoogleService-Info.plist or set in the "
        "customized options.");
  }
  if (!shared.apps) shared.apps.emplace();
  (*shared.apps)[name_] = shared_from_this();
}

bool FIRApp::configureCore() {
  checkExpectedBundleID();
  if (!isAppIDValid()) return false;
  // No analytics library exists in this system, so the default app has no
  // analytics to start here.
  subscribeForAppDidBecomeActiveNotifications();
  return true;
}

void FIRApp::checkExpectedBundleID() const {
  const auto expected = options_.bundleID();
  if (expected && !FIRBundleUtil::hasBundleIdentifierPrefix(*expected, FIRBundleUtil::relevantBundles())) {
    FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000008",
           "The project's Bundle ID is inconsistent with either the Bundle ID in '{}.{}', or the Bundle ID in the "
           "options if you are using a customized options. To ensure that everything can be configured correctly, you "
           "may need to make the Bundle IDs consistent. To continue with this plist file, you may change your app's "
           "bundle identifier to '{}'. Or you can download a new configuration file that matches your bundle "
           "identifier from {} and replace the current one.",
           FIROptions::kServiceInfoFileName, FIROptions::kServiceInfoFileType, *expected, kConsoleURL);
  }
}

bool FIRApp::isAppIDValid() const {
  if (FIRValidateAppID(options_.googleAppID().value_or(std::string()))) return true;
  FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000009",
         "The GOOGLE_APP_ID either in the plist file '{}.{}' or the one set in the customized options is invalid. If "
         "you are using the plist file, use the iOS version of bundle identifier to download the file, and do not "
         "manually edit the GOOGLE_APP_ID. You may change your app's bundle identifier to '{}'. Or you can download a "
         "new configuration file that matches your bundle identifier from {} and replace the current one.",
         FIROptions::kServiceInfoFileName, FIROptions::kServiceInfoFileType,
         options_.bundleID().value_or(std::string()), kConsoleURL);
  return false;
}

void FIRApp::subscribeForAppDidBecomeActiveNotifications() {
  std::weak_ptr<FIRApp> weakApp = weak_from_this();
  activationObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
      platform::kApplicationDidBecomeActiveNotification, nullptr, [weakApp](const platform::Notification&) {
        if (auto app = weakApp.lock()) app->appDidBecomeActive();
      });
}

void FIRApp::unsubscribeFromAppDidBecomeActiveNotifications() {
  if (activationObserver_) platform::NotificationCenter::defaultCenter().removeObserver(*activationObserver_);
  activationObserver_.reset();
}

void FIRApp::sendNotificationsToSDKs() const {
  platform::NotificationCenter::defaultCenter().post(
      platform::Notification{kReadyToConfigureSDKNotification,
                             notificationSender(),
                             {{kAppNameKey, name_},
                              {kAppIsDefaultAppKey, isDefaultApp_},
                              {kGoogleAppIDKey, options_.googleAppID().value_or(std::string())}}});
}

const void* FIRApp::notificationSender() {
  static const char sender = 0;
  return &sender;
}

// Library registration

// Runs under the class lock, which makes it once per process.
void FIRApp::registerSwiftComponents() {
  std::lock_guard lock(classLock());
  if (std::exchange(registry().librariesRegistered, true)) return;
  const std::pair<const char*, const char*> componentRegistrants[] = {{"FIRSessions", "fire-ses"},
                                                                      {"FIRAuthComponent", "fire-auth"}};
  for (const auto& [className, libraryName] : componentRegistrants) {
    auto libraryClass = FIRLibraryClass::named(className);
    if (libraryClass && libraryClass->componentsToRegister()) registerInternalLibrary(libraryClass, libraryName);
  }
  const std::pair<const char*, const char*> userAgentLibraries[] = {{"FIRCombineAuthLibrary", "comb-auth"},
                                                                    {"FIRCombineFirestoreLibrary", "comb-firestore"},
                                                                    {"FIRCombineFunctionsLibrary", "comb-functions"},
                                                                    {"FIRCombineStorageLibrary", "comb-storage"},
                                                                    {"FIRFunctions", "fire-fun"},
                                                                    {"FIRStorage", "fire-str"},
                                                                    {"FIRVertexAIComponent", "fire-vertex"},
                                                                    {"FIRDataConnectComponent", "fire-dc"}};
  for (const auto& [className, libraryName] : userAgentLibraries) {
    if (auto libraryClass = FIRLibraryClass::named(className)) {
      registerLibrary(libraryName, libraryClass->sdkVersion().value_or(FIRFirebaseVersion()));
    }
  }
}

void FIRApp::registerInternalLibrary(const std::shared_ptr<const FIRLibraryClass>& libraryClass,
                                     const std::string& name, const std::optional<std::string>& version) {
  if (!libraryClass->componentsToRegister()) {
    throw std::invalid_argument(
        fmt::format("Class {} attempted to register components, but it does not conform to "
                    "`FIRLibrary or provide a `componentsToRegister:` method.",
                    libraryClass->className()));
  }
  FIRComponentContainer::registerAsComponentRegistrant(libraryClass);
  registerLibrary(name, version.value_or(FIRFirebaseVersion()));
}

void FIRApp::registerLibrary(const std::string& name, const std::string& version) {
  if (consistsOfAlphanumericsAnd(name, "-_.") && consistsOfAlphanumericsAnd(version, "-_.")) {
    userAgent().setValue(version, name);
    return;
  }
  FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000027",
         "The library name ({}) or version number ({}) contain invalid characters. Only alphanumeric, dash, underscore "
         "and period characters are allowed.",
         name, version);
}

FIRFirebaseUserAgent& FIRApp::userAgent() {
  static FIRFirebaseUserAgent* shared = [] {
    auto* agent = new FIRFirebaseUserAgent();
    agent->setValue(FIRFirebaseVersion(), kCoreUserAgentComponent);
    return agent;
  }();
  return *shared;
}

std::string FIRApp::firebaseUserAgent() { return userAgent().firebaseUserAgent(); }

// Look-up

std::shared_ptr<FIRApp> FIRApp::defaultApp() {
  auto app = defaultAppIfConfigured();
  if (!app) {
    FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000003",
           "The default Firebase app has not yet been configured. Add `FirebaseApp.configure()` to your application "
           "initialization. This can be done in in the App Delegate's application(_:didFinishLaunchingWithOptions:)` "
           "(or the `@main` struct's initializer in SwiftUI). Read more: {}",
           kSetupGuideURL);
  }
  return app;
}

std::shared_ptr<FIRApp> FIRApp::defaultAppIfConfigured() {
  std::lock_guard lock(classLock());
  return registry().defaultApp;
}

bool FIRApp::isDefaultAppConfigured() { return defaultAppIfConfigured() != nullptr; }

std::shared_ptr<FIRApp> FIRApp::appNamed(const std::string& name) {
  std::lock_guard lock(classLock());
  const auto& apps = registry().apps;
  if (apps) {
    if (auto it = apps->find(name); it != apps->end()) return it->second;
  }
  FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000004", "App with name {} does not exist.", name);
  return nullptr;
}

std::optional<FIRApp::Apps> FIRApp::allApps() {
  std::lock_guard lock(classLock());
  const auto& apps = registry().apps;
  if (!apps) FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000005", "No app has been configured yet.");
  return apps;
}

void FIRApp::resetApps() {
  std::lock_guard lock(classLock());
  auto& shared = registry();
  shared.defaultApp.reset();
  shared.apps.reset();
  userAgent().reset();
}

void FIRApp::resetForTesting() {
  std::lock_guard lock(classLock());
  resetApps();
  FIROptions::resetDefaultOptions();
  userAgent().setValue(FIRFirebaseVersion(), kCoreUserAgentComponent);
  registry().librariesRegistered = false;
}

void FIRApp::deleteApp(const std::function<void(bool)>& completion) {
  // Keeps the app alive until the completion has run, even when the registry
  // held its last reference.
  auto self = shared_from_this();
  bool deleted = false;
  {
    std::lock_guard lock(classLock());
    auto& shared = registry();
    // Only this very app: a stale app must not remove a newer one that was
    // configured under the same name after it was deleted.
    auto entry = shared.apps ? shared.apps->find(name_) : FIRApp::Apps::iterator();
    if (shared.apps && entry != shared.apps->end() && entry->second.get() == this) {
      FIRLog(kGULLoggerLevelDebug, kFIRLoggerCore, "I-COR000006", "Deleting app named {}", name_);
      container_->removeAllComponents();
      container_->removeAllCachedInstances();
      shared.apps->erase(entry);
      platform::UserDefaults::standard().remove(dataCollectionDefaultsKey());
      if (isDefaultApp_) shared.defaultApp.reset();
      // A deleted app no longer records heartbeats on activation.
      unsubscribeFromAppDidBecomeActiveNotifications();
      platform::NotificationCenter::defaultCenter().post(
          platform::Notification{kDeleteNotification, notificationSender(), {{kAppNameKey, name_}}});
      deleted = true;
    } else {
      FIRLog(kGULLoggerLevelError, kFIRLoggerCore, "I-COR000007", "App does not exist.");
    }
  }
  if (completion) completion(deleted);
}

// Data collection and activation

std::string FIRApp::dataCollectionDefaultsKey() const { return kDataCollectionDefaultsKeyPrefix + name_; }

bool FIRApp::isDataCollectionDefaultEnabled() const {
  if (auto stored = platform::UserDefaults::standard().object(dataCollectionDefaultsKey())) {
    if (auto enabled = numberAsBool(*stored)) return *enabled;
  }
  if (const auto* info = platform::Bundle::main().objectForInfoDictionaryKey(kDataCollectionInfoKey)) {
    if (auto enabled = numberAsBool(*info)) return *enabled;
  }
  return true;
}

void FIRApp::setDataCollectionDefaultEnabled(bool enabled) {
  platform::UserDefaults::standard().set(dataCollectionDefaultsKey(), enabled);
  if (isDefaultApp_ && !options_.isAnalyticsCollectionExplicitlySet()) {
    FIRConfiguration::sharedInstance().analyticsConfiguration().setAnalyticsCollectionEnabled(enabled, false);
  }
}

std::shared_ptr<FIRHeartbeatLogger> FIRApp::heartbeatLogger() const { return heartbeatLogger_; }

void FIRApp::appDidBecomeActive() {
  if (isDataCollectionDefaultEnabled()) heartbeatLogger_->log();
}

}  // namespace firebase
