#pragma once

#include <array>
#include <string_view>

namespace quorbel {

// The popover's modes, in the mode picker's order.
enum class EditorMode { write, aiAgent, voiceAgent };

inline constexpr std::array<EditorMode, 3> allEditorModes{EditorMode::write, EditorMode::aiAgent, EditorMode::voiceAgent};

// "Write", "AI Agent", "Voice Agent": the picker's labels and what logs print.
std::string_view rawValue(EditorMode mode);

}  // namespace quorbel
