#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "foundation/PropertyValue.hpp"

namespace firebase {

// One app's configuration: the values of the "GoogleService-Info" property
// list in the program's bundle, or values set in code.
//
// Getters answer a value only when it has the expected type: a number or an
// array stored under a text key counts as absent. Once an app has been
// configured with options, the app's own copy is locked and its setters throw
// FIRException; the caller's object stays editable.
class FIROptions {
 public:
  using Dictionary = platform::PropertyValue::Dictionary;

  // The options list of the bundle, "GoogleService-Info.plist".
  static constexpr const char* kServiceInfoFileName = "GoogleService-Info";
  static constexpr const char* kServiceInfoFileType = "plist";

  // The options of the bundle's "GoogleService-Info.plist", read once per
  // process (until resetDefaultOptions); null when the file is missing or not
  // a dictionary, which is logged ("I-COR000012", "I-COR000011").
  static std::shared_ptr<FIROptions> defaultOptions();
  static std::optional<Dictionary> defaultOptionsDictionary();
  static std::optional<std::filesystem::path> plistFilePathWithName(const std::string& name);
  static void resetDefaultOptions();

  // Options read from a property-list file; absent, with an error line, when
  // it is missing or not a dictionary ("I-COR000014").
  static std::optional<FIROptions> optionsWithContentsOfFile(const std::filesystem::path& path);
  // GOOGLE_APP_ID, GCM_SENDER_ID and the main bundle's identifier as BUNDLE_ID.
  FIROptions(const std::string& googleAppID, const std::string& GCMSenderID);
  // Options over a dictionary, marked as coming from the default list.
  explicit FIROptions(Dictionary optionsDictionary);

  // The analytics dictionary is not copied; a copy computes its own.
  FIROptions(const FIROptions& other);
  FIROptions& operator=(const FIROptions& other);

  std::optional<std::string> APIKey() const { return text("API_KEY"); }
  std::optional<std::string> bundleID() const { return text("BUNDLE_ID"); }
  std::optional<std::string> clientID() const { return text("CLIENT_ID"); }
  std::optional<std::string> trackingID() const { return text("TRACKING_ID"); }
  std::optional<std::string> GCMSenderID() const { return text("GCM_SENDER_ID"); }
  std::optional<std::string> projectID() const { return text("PROJECT_ID"); }
  std::optional<std::string> androidClientID() const { return text("ANDROID_CLIENT_ID"); }
  std::optional<std::string> googleAppID() const { return text("GOOGLE_APP_ID"); }
  std::optional<std::string> databaseURL() const { return text("DATABASE_URL"); }
  std::optional<std::string> storageBucket() const { return text("STORAGE_BUCKET"); }
  const std::optional<std::string>& deepLinkURLScheme() const { return deepLinkURLScheme_; }
  const std::optional<std::string>& appGroupID() const { return appGroupID_; }

  // Each throws FIRException when the options are locked; absent removes the value.
  void setAPIKey(const std::optional<std::string>& value) { setText("API_KEY", value); }
  void setBundleID(const std::optional<std::string>& value) { setText("BUNDLE_ID", value); }
  void setClientID(const std::optional<std::string>& value) { setText("CLIENT_ID", value); }
  void setTrackingID(const std::optional<std::string>& value) { setText("TRACKING_ID", value); }
  void setGCMSenderID(const std::optional<std::string>& value) { setText("GCM_SENDER_ID", value); }
  void setProjectID(const std::optional<std::string>& value) { setText("PROJECT_ID", value); }
  void setAndroidClientID(const std::optional<std::string>& value) { setText("ANDROID_CLIENT_ID", value); }
  void setGoogleAppID(const std::optional<std::string>& value) { setText("GOOGLE_APP_ID", value); }
  void setDatabaseURL(const std::optional<std::string>& value) { setText("DATABASE_URL", value); }
  void setStorageBucket(const std::optional<std::string>& value) { setText("STORAGE_BUCKET", value); }
  void setDeepLinkURLScheme(const std::optional<std::string>& value);
  void setAppGroupID(const std::optional<std::string>& value);

  // The core version as a number: "11.12.0" gives "111200000".
  static const std::string& libraryVersionID();

  const Dictionary& optionsDictionary() const { return optionsDictionary_; }
  bool usingOptionsFromDefaultPlist() const { return usingOptionsFromDefaultPlist_; }
  bool editingLocked() const { return editingLocked_; }
  void setEditingLocked(bool locked) { editingLocked_ = locked; }

  // The three analytics keys, from the main bundle's Info list first and
  // these options second; computed on first use and kept.
  const Dictionary& analyticsOptionsDictionary() const;
  bool isMeasurementEnabled() const;
  bool isAnalyticsCollectionEnabled() const;
  bool isAnalyticsCollectionDeactivated() const;
  bool isAnalyticsCollectionExplicitlySet() const;

  // Options, scheme, app group and analytics options all equal.
  bool operator==(const FIROptions& other) const;

 private:
  std::optional<std::string> text(const std::string& key) const;
  void setText(const std::string& key, const std::optional<std::string>& value);
  void checkEditingLocked() const;
  std::optional<bool> analyticsFlag(const std::string& key) const;

  mutable std::optional<Dictionary> analyticsOptionsDictionary_;
  bool usingOptionsFromDefaultPlist_ = false;
  bool editingLocked_ = false;
  std::optional<std::string> deepLinkURLScheme_;
  std::optional<std::string> appGroupID_;
  Dictionary optionsDictionary_;
};

}  // namespace firebase
