#pragma once

#include <optional>
#include <string>

namespace firebase {

// Answers about the running process, taken from Linux itself. What Linux does
// not have (App Store receipts, encrypted executables, simulators, app clips,
// the "hw.model" system value) is answered as absent.
class GULAppEnvironmentUtil {
 public:
  // Never on Linux: executables carry no App Store encryption information and
  // there is no receipt. The level rules of the logger depend on it.
  static bool isFromAppStore();
  static bool isAppStoreReceiptSandbox();
  static bool isSimulator();
  // True when the main bundle's Info list declares "NSExtension", the key that
  // marks an app extension's bundle (the compose assistant's).
  static bool isAppExtension();
  static bool isAppClip();

  // A named system value. Linux has no sysctl names of this kind, so this
  // reads the matching file under /proc/sys ("kernel.ostype" from
  // /proc/sys/kernel/ostype); absent when there is none or it is empty.
  static std::optional<std::string> getSysctlEntry(const std::string& name);

  // "hw.model" when the system has one, else the machine field of uname.
  static std::string deviceModel();
  // "major.minor", plus ".patch" when the patch is not 0, from the kernel
  // release that uname reports.
  static std::string systemVersion();
  // The platform and the way this build was made, as this system ships.
  static std::string applePlatform();
  static std::string deploymentType();
};

}  // namespace firebase
