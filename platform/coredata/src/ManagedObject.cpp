#include "coredata/ManagedObject.hpp"

#include <stdexcept>

namespace coredata {
namespace {

bool holdsType(const AttributeValue& value, AttributeType type) {
  switch (type) {
    case AttributeType::date: return std::holds_alternative<Date>(value);
    case AttributeType::string: return std::holds_alternative<std::string>(value);
    case AttributeType::integer64: return std::holds_alternative<std::int64_t>(value);
    case AttributeType::double_: return std::holds_alternative<double>(value);
    case AttributeType::boolean: return std::holds_alternative<bool>(value);
  }
  return false;
}

const AttributeValue kNoValue;

}  // namespace

ManagedObject::ManagedObject(EntityDescription entity) : entity_(std::move(entity)) {}

const AttributeDescription& ManagedObject::attribute(std::string_view key) const {
  const auto* found = entity_.attribute(key);
  if (!found) throw std::invalid_argument("entity " + entity_.name + " has no attribute " + std::string(key));
  return *found;
}

const AttributeValue& ManagedObject::value(std::string_view key) const {
  attribute(key);
  auto it = values_.find(key);
  return it == values_.end() ? kNoValue : it->second;
}

void ManagedObject::setValue(std::string_view key, AttributeValue value) {
  const auto& described = attribute(key);
  if (!std::holds_alternative<std::monostate>(value) && !holdsType(value, described.type))
    throw std::invalid_argument("a value of another type for " + entity_.name + "." + described.name);
  values_.insert_or_assign(described.name, std::move(value));
  hasChanges_ = true;
}

}  // namespace coredata
