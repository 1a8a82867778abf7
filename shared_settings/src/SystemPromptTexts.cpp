#include "shared_settings/SystemPromptTexts.hpp"

#include <array>
#include <utility>

namespace quorbel::prompt_texts {

const std::string_view defaultSystemPrompt =
    "You are Mervo, an AI email assistant integrated with Apple Mail. Your role is to help users compose "
    "professional, effective, and contextually appropriate email responses.\n\nGuidelines:\n- Analyze the email "
    "context carefully\n- Maintain the user's professional tone\n- Keep responses concise yet complete\n- Be "
    "helpful and respectful\n- Consider cultural sensitivity\n- Suggest improvements when appropriate";

const std::string_view toneHeader = "\n\nTone Instructions:\n";
const std::string_view lengthHeader = "\n\nResponse Length:\n";
const std::string_view contextSection =
    "\n\nContext Analysis:\n- Always consider the email thread history\n- Reference previous conversations when "
    "relevant\n- Maintain consistency with ongoing discussions";

namespace {

using Entry = std::pair<std::string_view, std::string_view>;

constexpr std::array<Entry, 4> kTones{{
    {"professional", "- Use professional, business-appropriate language\n- Maintain formal structure while being "
                     "personable"},
    {"friendly", "- Use warm, approachable language\n- Include personal touches while remaining professional"},
    {"casual", "- Use relaxed, informal language\n- Keep it conversational and easy-going"},
    {"formal", "- Use highly structured, official language\n- Maintain strict professional etiquette"},
}};

constexpr std::array<Entry, 3> kLengths{{
    {"short", "- Keep responses brief and to the point\n- Aim for 1-2 sentences when possible"},
    {"medium", "- Provide balanced responses with adequate detail\n- Aim for 2-4 sentences typically"},
    {"long", "- Provide comprehensive, detailed responses\n- Include context and thorough explanations"},
}};

template <std::size_t N>
std::string_view lookUp(const std::array<Entry, N>& table, std::string_view key) {
  for (const auto& [name, text] : table)
    if (name == key) return text;
  return {};
}

}  // namespace

std::string_view toneText(std::string_view tone) { return lookUp(kTones, tone); }
std::string_view lengthText(std::string_view length) { return lookUp(kLengths, length); }

}  // namespace quorbel::prompt_texts
