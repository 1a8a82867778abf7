#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Error.hpp"
#include "foundation/PropertyValue.hpp"

namespace coredata {

enum class AttributeType { date, string, integer64, double_, boolean };

struct AttributeDescription {
  std::string name;
  AttributeType type = AttributeType::string;
  bool isOptional = true;
  bool operator==(const AttributeDescription&) const = default;
};

struct EntityDescription {
  std::string name;
  std::vector<AttributeDescription> attributes;
  const AttributeDescription* attribute(std::string_view name) const;
  bool operator==(const EntityDescription&) const = default;
};

// The entities a store holds, read from a model resource: a property list
// (XML or binary) of the form
//   { entities = ( { name = Item; attributes = ( { name = timestamp; type = date; optional = 1; } ); } ); }
// Names become table and column names, so only letters, digits and "_"
// (starting with a letter, at most 64 characters) are accepted; the types
// are "date", "string", "integer64", "double" and "boolean".
class ManagedObjectModel {
 public:
  static std::expected<ManagedObjectModel, platform::ErrorPtr> parse(std::string_view bytes);
  static std::expected<ManagedObjectModel, platform::ErrorPtr> load(const std::filesystem::path& file);

  const std::vector<EntityDescription>& entities() const { return entities_; }
  const EntityDescription* entity(std::string_view name) const;

  // A canonical text of the model; two models describe the same store
  // exactly when their texts are equal.
  std::string fingerprint() const;

 private:
  static std::expected<ManagedObjectModel, platform::ErrorPtr> fromPropertyList(const platform::PropertyValue& root);

  std::vector<EntityDescription> entities_;
};

}  // namespace coredata
