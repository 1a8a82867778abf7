#include "compose/QuestionParsing.hpp"

#include "foundation/Text.hpp"

namespace quorbel {

std::vector<std::string> parseQuestions(const std::string& answer) {
  std::vector<std::string> questions;
  for (const auto& line : platform::text::splitIntoLines(answer)) {
    auto question = platform::text::trimWhitespaceAndNewlines(line);
    if (!question.empty()) questions.push_back(std::move(question));
  }
  return questions;
}

}  // namespace quorbel
