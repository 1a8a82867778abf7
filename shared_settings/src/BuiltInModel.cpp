#include "shared_settings/BuiltInModel.hpp"

#include "FirebaseVertexAI/VertexAI.hpp"

namespace quorbel {

firebase::vertexai::Result<std::shared_ptr<firebase::vertexai::GenerativeModel>> makeBuiltInModel(
    const std::string& modelName) {
  auto vertex = firebase::vertexai::VertexAI::vertexAI(nullptr, kVertexAILocation);
  if (!vertex) return std::unexpected(vertex.error());
  return (*vertex)->generativeModel(modelName, firebase::vertexai::RequestOptions{kVertexAITimeout});
}

}  // namespace quorbel
