#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FirebaseVertexAI/Schema.hpp"
#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

// A function the model may ask the caller to call.
class FunctionDeclaration {
 public:
  // The parameters become an object schema; every parameter not named
  // optional is required (naming an unknown one throws, as Schema::object).
  FunctionDeclaration(std::string name, std::string description, std::map<std::string, SchemaPtr> parameters,
                      std::vector<std::string> optionalParameters = {});

  const std::string& name() const { return name_; }
  const std::string& description() const { return description_; }
  const SchemaPtr& parameters() const { return parameters_; }

 private:
  std::string name_;
  std::string description_;
  SchemaPtr parameters_;
};

// A group of functions offered to the model.
struct Tool {
  std::optional<std::vector<FunctionDeclaration>> functionDeclarations = std::nullopt;

  static Tool fromFunctionDeclarations(std::vector<FunctionDeclaration> declarations) {
    return {std::move(declarations)};
  }
};

// Whether, and which, functions the model calls.
struct FunctionCallingConfig {
  enum class Mode { automatic, any, none };

  std::optional<Mode> mode = std::nullopt;
  std::optional<std::vector<std::string>> allowedFunctionNames = std::nullopt;

  static FunctionCallingConfig autoMode() { return {Mode::automatic, std::nullopt}; }
  static FunctionCallingConfig anyMode(std::optional<std::vector<std::string>> allowedFunctionNames = std::nullopt) {
    return {Mode::any, std::move(allowedFunctionNames)};
  }
  static FunctionCallingConfig noneMode() { return {Mode::none, std::nullopt}; }
};

struct ToolConfig {
  std::optional<FunctionCallingConfig> functionCallingConfig = std::nullopt;
};

void writeJSON(platform::json::Writer& writer, const FunctionDeclaration& declaration);
void writeJSON(platform::json::Writer& writer, const Tool& tool);
void writeJSON(platform::json::Writer& writer, const FunctionCallingConfig& config);
void writeJSON(platform::json::Writer& writer, const ToolConfig& config);

}  // namespace firebase::vertexai
