#include "coredata/ManagedObjectModel.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "coredata/CoreDataError.hpp"
#include "foundation/PropertyList.hpp"

namespace coredata {
namespace {

constexpr std::size_t kMaximumNameLength = 64;

constexpr std::array kTypeNames{
    std::pair{AttributeType::date, std::string_view("date")},
    std::pair{AttributeType::string, std::string_view("string")},
    std::pair{AttributeType::integer64, std::string_view("integer64")},
    std::pair{AttributeType::double_, std::string_view("double")},
    std::pair{AttributeType::boolean, std::string_view("boolean")},
};

std::string_view typeName(AttributeType type) {
  for (const auto& [candidate, name] : kTypeNames)
    if (candidate == type) return name;
  return {};
}

platform::ErrorPtr invalidModel(const std::string& why) {
  return makeCoreDataError(ManagedObjectModelLoadError, "The managed object model is not valid: " + why);
}

bool isUsableName(const std::string& name) {
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (name.empty() || name.size() > kMaximumNameLength || !isLetter(name.front())) return false;
  // Names beginning "Z_" are the store's own columns and tables.
  if (name.starts_with("Z_")) return false;
  return std::ranges::all_of(name, [&](char c) { return isLetter(c) || isDigit(c) || c == '_'; });
}

const std::string* stringEntry(const platform::PropertyValue::Dictionary& dict, const std::string& key) {
  auto it = dict.find(key);
  return it == dict.end() ? nullptr : it->second.asString();
}

std::expected<AttributeDescription, platform::ErrorPtr> readAttribute(const platform::PropertyValue& value) {
  const auto* dict = value.asDictionary();
  if (!dict) return std::unexpected(invalidModel("an attribute is not a dictionary"));
  const auto* name = stringEntry(*dict, "name");
  if (!name || !isUsableName(*name)) return std::unexpected(invalidModel("an attribute has no usable name"));
  const auto* type = stringEntry(*dict, "type");
  auto known = std::ranges::find_if(kTypeNames, [&](const auto& entry) { return type && entry.second == *type; });
  if (known == kTypeNames.end()) return std::unexpected(invalidModel("attribute '" + *name + "' has no known type"));
  AttributeDescription attribute{*name, known->first, true};
  if (auto optional = dict->find("optional"); optional != dict->end()) {
    const auto* flag = optional->second.asBool();
    if (!flag) return std::unexpected(invalidModel("attribute '" + *name + "' has an optional flag that is not a Boolean"));
    attribute.isOptional = *flag;
  }
  return attribute;
}

std::expected<EntityDescription, platform::ErrorPtr> readEntity(const platform::PropertyValue& value) {
  const auto* dict = value.asDictionary();
  if (!dict) return std::unexpected(invalidModel("an entity is not a dictionary"));
  const auto* name = stringEntry(*dict, "name");
  if (!name || !isUsableName(*name)) return std::unexpected(invalidModel("an entity has no usable name"));
  EntityDescription entity{*name, {}};
  auto attributes = dict->find("attributes");
  const auto* list = attributes == dict->end() ? nullptr : attributes->second.asArray();
  if (!list) return std::unexpected(invalidModel("entity '" + *name + "' has no attribute list"));
  for (const auto& item : *list) {
    auto attribute = readAttribute(item);
    if (!attribute) return std::unexpected(attribute.error());
    if (entity.attribute(attribute->name))
      return std::unexpected(invalidModel("entity '" + *name + "' names attribute '" + attribute->name + "' twice"));
    entity.attributes.push_back(std::move(*attribute));
  }
  return entity;
}

}  // namespace

const AttributeDescription* EntityDescription::attribute(std::string_view attributeName) const {
  auto it = std::ranges::find(attributes, attributeName, &AttributeDescription::name);
  return it == attributes.end() ? nullptr : &*it;
}

std::expected<ManagedObjectModel, platform::ErrorPtr> ManagedObjectModel::parse(std::string_view bytes) {
  auto root = platform::plist::parse(bytes);
  if (!root) return std::unexpected(invalidModel("it is not a property list"));
  return fromPropertyList(*root);
}

std::expected<ManagedObjectModel, platform::ErrorPtr> ManagedObjectModel::load(const std::filesystem::path& file) {
  auto root = platform::plist::readFile(file);
  if (!root)
    return std::unexpected(makeCoreDataError(ManagedObjectModelLoadError, "The managed object model could not be read.",
                                             {{"NSFilePath", file.string()}}));
  return fromPropertyList(*root);
}

std::expected<ManagedObjectModel, platform::ErrorPtr> ManagedObjectModel::fromPropertyList(
    const platform::PropertyValue& root) {
  const auto* dict = root.asDictionary();
  const platform::PropertyValue::Array* list = nullptr;
  if (dict)
    if (auto entities = dict->find("entities"); entities != dict->end()) list = entities->second.asArray();
  if (!list || list->empty()) return std::unexpected(invalidModel("it lists no entities"));
  ManagedObjectModel model;
  for (const auto& item : *list) {
    auto entity = readEntity(item);
    if (!entity) return std::unexpected(entity.error());
    if (model.entity(entity->name)) return std::unexpected(invalidModel("entity '" + entity->name + "' is named twice"));
    model.entities_.push_back(std::move(*entity));
  }
  return model;
}

const EntityDescription* ManagedObjectModel::entity(std::string_view name) const {
  auto it = std::ranges::find(entities_, name, &EntityDescription::name);
  return it == entities_.end() ? nullptr : &*it;
}

std::string ManagedObjectModel::fingerprint() const {
  std::string text;
  for (const auto& entity : entities_) {
    text += entity.name + "(";
    for (const auto& attribute : entity.attributes)
      text += attribute.name + ":" + std::string(typeName(attribute.type)) + (attribute.isOptional ? "?" : "") + ";";
    text += ")";
  }
  return text;
}

}  // namespace coredata
