#include "coredata/CoreDataError.hpp"

namespace coredata {

platform::ErrorPtr makeCoreDataError(long code, std::string description, std::map<std::string, std::string> userInfo) {
  return platform::makeError(kErrorDomain, code, std::move(description), std::move(userInfo));
}

}  // namespace coredata
