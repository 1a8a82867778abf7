#include "FirebaseVertexAI/VertexLog.hpp"

#include <array>

#include <fmt/format.h>

#include "firebase_core/FIRLogger.hpp"

namespace firebase::vertexai {
namespace {

// Identifier numbers in the order of VertexLogMessageCode: blocks of 100s for
// set-up, 200 for availability, 1000s for models, 1200s for image models,
// 2000s for HTTP exchanges, 3000s for decoding, 4000s for reading responses,
// 5000 for streaming.
constexpr std::array<int, 31> kIdentifierNumbers = {
    100,  101,  200,  1000, 1001, 1002, 1200, 1201, 2000, 2001, 2002, 2003, 2004, 3000, 3001, 3002,
    3003, 3004, 3005, 3006, 3007, 3008, 3009, 3010, 3011, 3012, 3013, 4000, 4001, 4002, 5000,
};
static_assert(kIdentifierNumbers.size() == static_cast<std::size_t>(VertexLogMessageCode::generateContentResponseStreamLine) + 1);

}  // namespace

int identifierNumber(VertexLogMessageCode code) { return kIdentifierNumbers.at(static_cast<std::size_t>(code)); }

std::string messageIdentifier(VertexLogMessageCode code) { return fmt::format("I-VTX{:06d}", identifierNumber(code)); }

void logVertexAI(int level, VertexLogMessageCode code, std::string_view message) {
  if (!vertexAIWouldLog(level)) return;
  FIRLogBasic(level, kVertexLogService, messageIdentifier(code), message);
}

bool vertexAIWouldLog(int level) { return FIRWouldLog(level, kVertexLogService); }

}  // namespace firebase::vertexai
