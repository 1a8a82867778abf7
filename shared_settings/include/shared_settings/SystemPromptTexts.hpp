#pragma once

#include <string_view>

namespace quorbel::prompt_texts {

// The fixed texts from which a system prompt is assembled, shared by the
// extension and the settings application so the two never drift apart.
// Assembly order: default prompt, tone header, tone text, length header,
// length text, then (where the side includes it) the context section.

extern const std::string_view defaultSystemPrompt;
extern const std::string_view toneHeader;
extern const std::string_view lengthHeader;
extern const std::string_view contextSection;

// Tones: "professional", "friendly", "casual", "formal"; lengths: "short",
// "medium", "long". The text for a known raw value, or empty.
std::string_view toneText(std::string_view tone);
std::string_view lengthText(std::string_view length);

}  // namespace quorbel::prompt_texts
