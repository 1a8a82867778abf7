#pragma once

#include <string>
#include <vector>

namespace quorbel {

// The guiding questions in a model's answer: one per line, each trimmed,
// blank lines dropped. Anything the model adds (numbers, bullets, a heading)
// stays part of the question.
std::vector<std::string> parseQuestions(const std::string& answer);

}  // namespace quorbel
