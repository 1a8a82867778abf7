#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/ProtoEnum.hpp"
#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

class Schema;
// Schemas are shared, immutable trees: a sub-schema may stand in several.
using SchemaPtr = std::shared_ptr<const Schema>;

// The shape of a JSON value, in the form the service accepts: the
// parameters of a function declaration, or the structured output asked of a
// model. Made only by the builders below; encoded, never decoded.
class Schema {
 public:
  enum class DataType { string, number, integer, boolean, array, object };

  // A caller's own format hint for strings.
  class StringFormat : public ProtoEnum<StringFormat> {
   public:
    enum class Kind { unused };
    static constexpr std::array<std::string_view, 1> kRawValues = {"unused"};
    using ProtoEnum::ProtoEnum;
    static StringFormat custom(std::string format) { return StringFormat(std::move(format)); }
  };

  class IntegerFormat : public ProtoEnum<IntegerFormat> {
   public:
    enum class Kind { int32, int64 };
    static constexpr std::array<std::string_view, 2> kRawValues = {"int32", "int64"};
    using ProtoEnum::ProtoEnum;
    static const IntegerFormat int32;
    static const IntegerFormat int64;
    static IntegerFormat custom(std::string format) { return IntegerFormat(std::move(format)); }
  };

  static SchemaPtr string(std::optional<std::string> description = std::nullopt, bool nullable = false,
                          std::optional<StringFormat> format = std::nullopt);
  static SchemaPtr enumeration(std::vector<std::string> values, std::optional<std::string> description = std::nullopt,
                               bool nullable = false);
  static SchemaPtr float32(std::optional<std::string> description = std::nullopt, bool nullable = false,
                           std::optional<float> minimum = std::nullopt, std::optional<float> maximum = std::nullopt);
  static SchemaPtr float64(std::optional<std::string> description = std::nullopt, bool nullable = false,
                           std::optional<double> minimum = std::nullopt, std::optional<double> maximum = std::nullopt);
  static SchemaPtr integer(std::optional<std::string> description = std::nullopt, bool nullable = false,
                           std::optional<IntegerFormat> format = std::nullopt,
                           std::optional<std::int64_t> minimum = std::nullopt,
                           std::optional<std::int64_t> maximum = std::nullopt);
  static SchemaPtr boolean(std::optional<std::string> description = std::nullopt, bool nullable = false);
  static SchemaPtr array(SchemaPtr items, std::optional<std::string> description = std::nullopt, bool nullable = false,
                         std::optional<std::int64_t> minItems = std::nullopt,
                         std::optional<std::int64_t> maxItems = std::nullopt);
  // Every property not named optional is required. Naming an optional
  // property that is not among the properties is the caller's mistake:
  // std::invalid_argument with "Optional property \"name\" not defined in
  // object properties.".
  static SchemaPtr object(std::map<std::string, SchemaPtr> properties, std::vector<std::string> optionalProperties = {},
                          std::optional<std::vector<std::string>> propertyOrdering = std::nullopt,
                          std::optional<std::string> description = std::nullopt,
                          std::optional<std::string> title = std::nullopt, bool nullable = false);
  // An empty list is logged as an error but still makes the schema.
  static SchemaPtr anyOf(std::vector<SchemaPtr> schemas);

  // The data type's wire name ("STRING", ...), "UNSPECIFIED" without one.
  std::string type() const;
  const std::optional<DataType>& dataType() const { return dataType_; }
  const std::optional<std::string>& format() const { return format_; }
  const std::optional<std::string>& description() const { return description_; }
  const std::optional<std::string>& title() const { return title_; }
  const std::optional<bool>& nullable() const { return nullable_; }
  const std::optional<std::vector<std::string>>& enumValues() const { return enumValues_; }
  const SchemaPtr& items() const { return items_; }
  const std::optional<std::int64_t>& minItems() const { return minItems_; }
  const std::optional<std::int64_t>& maxItems() const { return maxItems_; }
  const std::optional<double>& minimum() const { return minimum_; }
  const std::optional<double>& maximum() const { return maximum_; }
  const std::optional<std::map<std::string, SchemaPtr>>& properties() const { return properties_; }
  const std::optional<std::vector<SchemaPtr>>& anyOfSchemas() const { return anyOf_; }
  const std::optional<std::vector<std::string>>& requiredProperties() const { return requiredProperties_; }
  const std::optional<std::vector<std::string>>& propertyOrdering() const { return propertyOrdering_; }

  // Releases a long chain of array item schemas one by one, not by recursion.
  ~Schema();

 private:
  friend struct SchemaBuilder;
  Schema() = default;

  std::optional<DataType> dataType_;
  std::optional<std::string> format_;
  std::optional<std::string> description_;
  std::optional<std::string> title_;
  std::optional<bool> nullable_;
  std::optional<std::vector<std::string>> enumValues_;
  SchemaPtr items_;
  std::optional<std::int64_t> minItems_;
  std::optional<std::int64_t> maxItems_;
  std::optional<double> minimum_;
  std::optional<double> maximum_;
  std::optional<std::map<std::string, SchemaPtr>> properties_;
  std::optional<std::vector<SchemaPtr>> anyOf_;
  std::optional<std::vector<std::string>> requiredProperties_;
  std::optional<std::vector<std::string>> propertyOrdering_;
};

inline const Schema::IntegerFormat Schema::IntegerFormat::int32{Kind::int32};
inline const Schema::IntegerFormat Schema::IntegerFormat::int64{Kind::int64};

// The present fields in a fixed order, nested schemas alike; never null.
void writeJSON(platform::json::Writer& writer, const Schema& schema);
// A null pointer where a schema is expected is an encoding error.
void writeJSON(platform::json::Writer& writer, const SchemaPtr& schema);

}  // namespace firebase::vertexai
