#include "compose/EditorMode.hpp"

namespace quorbel {

std::string_view rawValue(EditorMode mode) {
  switch (mode) {
    case EditorMode::write: return "Write";
    case EditorMode::aiAgent: return "AI Agent";
    case EditorMode::voiceAgent: return "Voice Agent";
  }
  return "Write";
}

}  // namespace quorbel
