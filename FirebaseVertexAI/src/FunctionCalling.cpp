#include "FirebaseVertexAI/FunctionCalling.hpp"

#include "FirebaseVertexAI/JSONEncoding.hpp"

namespace firebase::vertexai {

FunctionDeclaration::FunctionDeclaration(std::string name, std::string description,
                                         std::map<std::string, SchemaPtr> parameters,
                                         std::vector<std::string> optionalParameters)
    : name_(std::move(name)),
      description_(std::move(description)),
      parameters_(Schema::object(std::move(parameters), std::move(optionalParameters))) {}

void writeJSON(platform::json::Writer& writer, const FunctionDeclaration& declaration) {
  writer.beginObject();
  writeMember(writer, "name", declaration.name());
  writeMember(writer, "description", declaration.description());
  writeMember(writer, "parameters", declaration.parameters());
  writer.endObject();
}

void writeJSON(platform::json::Writer& writer, const Tool& tool) {
  writer.beginObject();
  writeMemberIfPresent(writer, "functionDeclarations", tool.functionDeclarations);
  writer.endObject();
}

namespace {
std::string modeName(FunctionCallingConfig::Mode mode) {
  switch (mode) {
    case FunctionCallingConfig::Mode::automatic: return "AUTO";
    case FunctionCallingConfig::Mode::any: return "ANY";
    case FunctionCallingConfig::Mode::none: return "NONE";
  }
  return {};
}
}  // namespace

void writeJSON(platform::json::Writer& writer, const FunctionCallingConfig& config) {
  writer.beginObject();
  if (config.mode) writeMember(writer, "mode", modeName(*config.mode));
  writeMemberIfPresent(writer, "allowedFunctionNames", config.allowedFunctionNames);
  writer.endObject();
}

void writeJSON(platform::json::Writer& writer, const ToolConfig& config) {
  writer.beginObject();
  writeMemberIfPresent(writer, "functionCallingConfig", config.functionCallingConfig);
  writer.endObject();
}

}  // namespace firebase::vertexai
