#pragma once

#include <string>
#include <string_view>

namespace quorbel {

// The three style values the user picks for a reply, as they enter prompts.
struct DraftStyle {
  std::string scenario = "professional";  // inserted verbatim
  int draftLengthValue = 1;                // 0 to 2
  int emotionLevel = 2;                    // 0 to 4
};

// "brief and concise", "standard length", "detailed and comprehensive".
std::string_view lengthPhrase(int draftLengthValue);
// "brief", "standard", "detailed": the refinement's wording.
std::string_view lengthWord(int draftLengthValue);
// "very friendly" ... "angry".
std::string_view emotionPhrase(int emotionLevel);

// What the style controls show beside their sliders.
std::string_view lengthLabel(int draftLengthValue);
std::string_view emotionLabel(int emotionLevel);

}  // namespace quorbel
