#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "coredata/ManagedObjectModel.hpp"

namespace coredata {

using Date = std::chrono::system_clock::time_point;
// An attribute's value; std::monostate is no value (nil).
using AttributeValue = std::variant<std::monostate, Date, std::string, std::int64_t, double, bool>;

// One object of an entity. A context hands objects out (inserted or fetched)
// and saves what changed in them; subclasses add typed accessors only.
class ManagedObject {
 public:
  explicit ManagedObject(EntityDescription entity);
  virtual ~ManagedObject() = default;
  ManagedObject(const ManagedObject&) = delete;
  ManagedObject& operator=(const ManagedObject&) = delete;

  const EntityDescription& entity() const { return entity_; }
  // The object's row in its store; absent until it has been saved.
  std::optional<std::int64_t> objectID() const { return objectID_; }

  // The attribute's value (std::monostate when it has none). Throws
  // std::invalid_argument for a name the entity lacks, and for a value of
  // another type than the attribute's: both are programming errors.
  const AttributeValue& value(std::string_view key) const;
  void setValue(std::string_view key, AttributeValue value);

  bool hasChanges() const { return hasChanges_; }

 private:
  friend class ManagedObjectContext;
  const AttributeDescription& attribute(std::string_view key) const;

  EntityDescription entity_;
  std::map<std::string, AttributeValue, std::less<>> values_;
  std::optional<std::int64_t> objectID_;
  bool hasChanges_ = false;
};

}  // namespace coredata
