#include "FirebaseVertexAI/ImagenGenerationConfig.hpp"

#include "FirebaseVertexAI/VertexLog.hpp"

namespace firebase::vertexai {

ImagenImageFormat ImagenImageFormat::png() { return {"image/png", std::nullopt}; }

ImagenImageFormat ImagenImageFormat::jpeg(std::optional<std::int64_t> compressionQuality) {
  if (compressionQuality && (*compressionQuality < 0 || *compressionQuality > 100))
    logVertexAI(kGULLoggerLevelWarning, VertexLogMessageCode::invalidImagenCompressionQuality,
                "Invalid JPEG compression quality of " + std::to_string(*compressionQuality) +
                    " specified; the supported range is [0, 100].");
  return {"image/jpeg", compressionQuality};
}

}  // namespace firebase::vertexai
