#include "firebase_core/Version.hpp"

namespace firebase {

const std::string& FIRFirebaseVersion() {
  static const std::string version = "11.12.0";
  return version;
}

}  // namespace firebase
