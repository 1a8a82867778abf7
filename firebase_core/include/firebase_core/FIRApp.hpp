#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "firebase_core/FIRComponentContainer.hpp"
#include "firebase_core/FIRFirebaseUserAgent.hpp"
#include "firebase_core/FIRHeartbeatLogger.hpp"
#include "firebase_core/FIRLibraryClass.hpp"
#include "firebase_core/FIROptions.hpp"

namespace firebase {

// The process-wide registry of configured apps. An app is a name, a locked
// copy of its options, a component container and a heartbeat logger; the app
// named "__FIRAPP_DEFAULT" is the default app.
//
// Typical use:
//   FIRApp::configure();                       // once, at start-up
//   if (auto app = FIRApp::defaultApp()) {     // null (and an error line) before
//     auto options = app->options();
//     if (options.projectID() && options.APIKey()) { ... }
//   }
//
// Refused configurations throw FIRException (name "com.firebase.core"). The
// registry is guarded by one lock: configuring, looking up and deleting apps
// are safe from any thread, and two threads configuring the default app at
// once create exactly one.
class FIRApp : public std::enable_shared_from_this<FIRApp> {
 public:
  using Apps = std::map<std::string, std::shared_ptr<FIRApp>>;

  static constexpr const char* kDefaultAppName = "__FIRAPP_DEFAULT";
  static constexpr const char* kReadyToConfigureSDKNotification = "FIRAppReadyToConfigureSDKNotification";
  static constexpr const char* kDeleteNotification = "FIRAppDeleteNotification";
  static constexpr const char* kAppNameKey = "FIRAppNameKey";
  static constexpr const char* kAppIsDefaultAppKey = "FIRAppIsDefaultAppKey";
  static constexpr const char* kGoogleAppIDKey = "FIRGoogleAppIDKey";

  // Configures the default app from the bundle's "GoogleService-Info.plist";
  // throws when there is no valid one.
  static void configure();
  static void configureWithOptions(const FIROptions& options);
  // Names may hold only alphanumerics, "-" and "_". Configuring a name twice
  // throws, except in an app extension with equal options, where the second
  // call is ignored ("I-COR000035").
  static void configureWithName(const std::string& name, const FIROptions& options);

  // The default app; null, with an error line "I-COR000003", before one exists.
  static std::shared_ptr<FIRApp> defaultApp();
  // The same without the error line.
  static std::shared_ptr<FIRApp> defaultAppIfConfigured();
  static bool isDefaultAppConfigured();
  // Null, with an error line "I-COR000004", for an unknown name.
  static std::shared_ptr<FIRApp> appNamed(const std::string& name);
  // Absent, with an error line "I-COR000005", before the first app.
  static std::optional<Apps> allApps();
  // Forgets every app and every registered user-agent library.
  static void resetApps();
  // resetApps, then the default options, the user agent and the one-time
  // registration of the library classes as a fresh process has them.
  static void resetForTesting();

  // Adds "name/version" to the user agent; names and versions may hold only
  // alphanumerics, "-", "_" and ".".
  static void registerLibrary(const std::string& name, const std::string& version);
  // Registers a library class's components (with the core version unless one
  // is given) and adds it to the user agent. Throws std::invalid_argument
  // for a class that provides no components.
  static void registerInternalLibrary(const std::shared_ptr<const FIRLibraryClass>& libraryClass,
                                      const std::string& name,
                                      const std::optional<std::string>& version = std::nullopt);
  static FIRFirebaseUserAgent& userAgent();
  static std::string firebaseUserAgent();
  // The sender of the app notifications.
  static const void* notificationSender();

  // Removes the app from the registry; the completion learns whether it was there.
  void deleteApp(const std::function<void(bool)>& completion);

  // Standard user defaults "/google/firebase/global_data_collection_enabled:<name>"
  // when it is a number, else the Info list's "FirebaseDataCollectionDefaultEnabled"
  // when that is a number, else on.
  bool isDataCollectionDefaultEnabled() const;
  void setDataCollectionDefaultEnabled(bool enabled);

  // A copy of the app's (locked) options.
  FIROptions options() const { return options_; }
  const std::string& name() const { return name_; }
  bool isDefaultApp() const { return isDefaultApp_; }
  FIRComponentContainer& container() { return *container_; }
  std::shared_ptr<FIRHeartbeatLogger> heartbeatLogger() const;

  // Runs when the application becomes active: logs today's heartbeat while
  // data collection is on.
  void appDidBecomeActive();

  ~FIRApp();
  FIRApp(const FIRApp&) = delete;
  FIRApp& operator=(const FIRApp&) = delete;

 private:
  struct Private {};

 public:
  FIRApp(Private, const std::string& name, const FIROptions& options);

 private:
  static void appWasConfiguredTwice(const FIRApp& app, const FIROptions& options);
  static void registerSwiftComponents();
  void addAppToAppDictionary();
  bool configureCore();
  void checkExpectedBundleID() const;
  bool isAppIDValid() const;
  void subscribeForAppDidBecomeActiveNotifications();
  void unsubscribeFromAppDidBecomeActiveNotifications();
  void sendNotificationsToSDKs() const;
  std::string dataCollectionDefaultsKey() const;

  bool isDefaultApp_;
  FIROptions options_;
  std::string name_;
  std::unique_ptr<FIRComponentContainer> container_;
  std::shared_ptr<FIRHeartbeatLogger> heartbeatLogger_;
  std::optional<std::uint64_t> activationObserver_;
};

}  // namespace firebase
