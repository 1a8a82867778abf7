#pragma once

#include <optional>

#include "coredata/FetchRequest.hpp"
#include "coredata/ManagedObject.hpp"

namespace mervo {

// The one entity of the application's store: an object with an optional
// date. Nothing in the application creates, changes or shows one.
class Item : public coredata::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  static constexpr const char* kEntityName = "Item";

  std::optional<coredata::Date> timestamp() const;
  void setTimestamp(std::optional<coredata::Date> timestamp);

  // All items of the store, unsorted.
  static coredata::FetchRequest fetchRequest();
};

}  // namespace mervo
