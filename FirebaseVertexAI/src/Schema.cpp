#include "FirebaseVertexAI/Schema.hpp"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"

namespace firebase::vertexai {
namespace {

std::string_view dataTypeName(Schema::DataType type) {
  switch (type) {
    case Schema::DataType::string: return "STRING";
    case Schema::DataType::number: return "NUMBER";
    case Schema::DataType::integer: return "INTEGER";
    case Schema::DataType::boolean: return "BOOLEAN";
    case Schema::DataType::array: return "ARRAY";
    case Schema::DataType::object: return "OBJECT";
  }
  return {};
}

}  // namespace

// Makes the schemas whose fields the builders fill.
struct SchemaBuilder {
  static std::shared_ptr<Schema> make() { return std::shared_ptr<Schema>(new Schema); }
  static std::shared_ptr<Schema> make(Schema::DataType type, std::optional<std::string> description, bool nullable) {
    auto schema = make();
    schema->dataType_ = type;
    schema->description_ = std::move(description);
    schema->nullable_ = nullable;
    return schema;
  }
};

SchemaPtr Schema::string(std::optional<std::string> description, bool nullable, std::optional<StringFormat> format) {
  auto schema = SchemaBuilder::make(DataType::string, std::move(description), nullable);
  if (format) schema->format_ = format->rawValue();
  return schema;
}

SchemaPtr Schema::enumeration(std::vector<std::string> values, std::optional<std::string> description, bool nullable) {
  auto schema = SchemaBuilder::make(DataType::string, std::move(description), nullable);
  schema->format_ = "enum";
  schema->enumValues_ = std::move(values);
  return schema;
}

SchemaPtr Schema::float32(std::optional<std::string> description, bool nullable, std::optional<float> minimum,
                          std::optional<float> maximum) {
  auto schema = SchemaBuilder::make(DataType::number, std::move(description), nullable);
  schema->format_ = "float";
  if (minimum) schema->minimum_ = *minimum;
  if (maximum) schema->maximum_ = *maximum;
  return schema;
}

SchemaPtr Schema::float64(std::optional<std::string> description, bool nullable, std::optional<double> minimum,
                          std::optional<double> maximum) {
  auto schema = SchemaBuilder::make(DataType::number, std::move(description), nullable);
  schema->minimum_ = minimum;
  schema->maximum_ = maximum;
  return schema;
}

SchemaPtr Schema::integer(std::optional<std::string> description, bool nullable, std::optional<IntegerFormat> format,
                          std::optional<std::int64_t> minimum, std::optional<std::int64_t> maximum) {
  auto schema = SchemaBuilder::make(DataType::integer, std::move(description), nullable);
  if (format) schema->format_ = format->rawValue();
  if (minimum) schema->minimum_ = static_cast<double>(*minimum);
  if (maximum) schema->maximum_ = static_cast<double>(*maximum);
  return schema;
}

SchemaPtr Schema::boolean(std::optional<std::string> description, bool nullable) {
  return SchemaBuilder::make(DataType::boolean, std::move(description), nullable);
}

SchemaPtr Schema::array(SchemaPtr items, std::optional<std::string> description, bool nullable,
                        std::optional<std::int64_t> minItems, std::optional<std::int64_t> maxItems) {
  auto schema = SchemaBuilder::make(DataType::array, std::move(description), nullable);
  schema->items_ = std::move(items);
  schema->minItems_ = minItems;
  schema->maxItems_ = maxItems;
  return schema;
}

SchemaPtr Schema::object(std::map<std::string, SchemaPtr> properties, std::vector<std::string> optionalProperties,
                         std::optional<std::vector<std::string>> propertyOrdering, std::optional<std::string> description,
                         std::optional<std::string> title, bool nullable) {
  std::set<std::string> required;
  for (const auto& [name, property] : properties) required.insert(name);
  for (const auto& name : optionalProperties) {
    if (!properties.contains(name))
      throw std::invalid_argument("Optional property \"" + name + "\" not defined in object properties.");
    required.erase(name);
  }
  auto schema = SchemaBuilder::make(DataType::object, std::move(description), nullable);
  schema->properties_ = std::move(properties);
  schema->requiredProperties_ = std::vector<std::string>(required.begin(), required.end());
  schema->propertyOrdering_ = std::move(propertyOrdering);
  schema->title_ = std::move(title);
  return schema;
}

SchemaPtr Schema::anyOf(std::vector<SchemaPtr> schemas) {
  if (schemas.empty())
    logVertexAI(kGULLoggerLevelError, VertexLogMessageCode::invalidSchemaAnyOfEmpty,
                "The `anyOf` schemas array cannot be empty.");
  auto schema = SchemaBuilder::make();
  schema->anyOf_ = std::move(schemas);
  return schema;
}

std::string Schema::type() const { return dataType_ ? std::string(dataTypeName(*dataType_)) : "UNSPECIFIED"; }

Schema::~Schema() {
  // Unlink each item schema that nothing else holds before letting it go,
  // so that its own destructor finds no items left to release.
  SchemaPtr next = std::move(items_);
  while (next && next.use_count() == 1) {
    auto item = std::const_pointer_cast<Schema>(std::move(next));
    next = std::move(item->items_);
  }
}

void writeJSON(platform::json::Writer& writer, const Schema& schema) {
  // A schema nested too deep has failed the writer: stop going down.
  if (writer.failed()) return;
  writer.beginObject();
  if (schema.dataType()) writeMember(writer, "type", std::string(dataTypeName(*schema.dataType())));
  writeMemberIfPresent(writer, "format", schema.format());
  writeMemberIfPresent(writer, "description", schema.description());
  writeMemberIfPresent(writer, "title", schema.title());
  writeMemberIfPresent(writer, "nullable", schema.nullable());
  writeMemberIfPresent(writer, "enum", schema.enumValues());
  // An array schema always has its items; other schemas have none.
  if (schema.items() || schema.dataType() == Schema::DataType::array) writeMember(writer, "items", schema.items());
  writeMemberIfPresent(writer, "minItems", schema.minItems());
  writeMemberIfPresent(writer, "maxItems", schema.maxItems());
  writeMemberIfPresent(writer, "minimum", schema.minimum());
  writeMemberIfPresent(writer, "maximum", schema.maximum());
  writeMemberIfPresent(writer, "anyOf", schema.anyOfSchemas());
  writeMemberIfPresent(writer, "properties", schema.properties());
  writeMemberIfPresent(writer, "required", schema.requiredProperties());
  writeMemberIfPresent(writer, "propertyOrdering", schema.propertyOrdering());
  writer.endObject();
}

void writeJSON(platform::json::Writer& writer, const SchemaPtr& schema) {
  if (schema) return writeJSON(writer, *schema);
  writer.beginObject();
  writer.fail("a schema is missing (a null pointer)");
}

}  // namespace firebase::vertexai
