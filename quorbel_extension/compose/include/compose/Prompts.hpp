#pragma once

#include <string>
#include <vector>

#include "compose/DraftStyle.hpp"

namespace quorbel::prompts {

// The prompt texts of the popover's requests. `system` is the effective
// system prompt that heads each one; `email` is the quoted message's plain
// text.

// Write: with an empty instruction the plain review template, otherwise the
// template that puts the instruction first (inserted exactly as typed).
std::string write(const std::string& system, const std::string& email, const std::string& instruction,
                  const DraftStyle& style);

// AI Agent: the request for the guiding questions.
std::string questions(const std::string& system, const std::string& email);

// AI Agent: the reply drafted from the questions and the answers at the same
// positions (an empty answer is marked as not given).
std::string replyFromAnswers(const std::string& system, const std::string& email,
                             const std::vector<std::string>& questions, const std::vector<std::string>& answers,
                             const DraftStyle& style);

// Refinement of the current draft with an already trimmed instruction.
std::string refinement(const std::string& system, const std::string& draft, const std::string& instruction,
                       const DraftStyle& style);

}  // namespace quorbel::prompts
