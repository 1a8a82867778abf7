#pragma once

#include <map>
#include <string>

#include "foundation/Error.hpp"

namespace coredata {

// Failures of the object store carry the platform's domain and codes.
inline constexpr const char* kErrorDomain = "NSCocoaErrorDomain";
enum CoreDataErrorCode : long {
  PersistentStoreOpenError = 134080,
  PersistentStoreIncompatibleVersionHashError = 134100,
  PersistentStoreSaveError = 134030,
  ManagedObjectModelLoadError = 134070,
  SQLiteError = 134180,
};

platform::ErrorPtr makeCoreDataError(long code, std::string description, std::map<std::string, std::string> userInfo = {});

}  // namespace coredata
