#include "compose/Prompts.hpp"

namespace quorbel::prompts {

namespace {

// "... a <length> reply in a <scenario> context with a <emotion> emotion. "
std::string replyStyle(const DraftStyle& style) {
  return std::string(lengthPhrase(style.draftLengthValue)) + " reply in a " + style.scenario + " context with a " +
         std::string(emotionPhrase(style.emotionLevel)) + " emotion. ";
}

}  // namespace

std::string write(const std::string& system, const std::string& email, const std::string& instruction,
                  const DraftStyle& style) {
  std::string prompt = system + "\n\n";
  if (instruction.empty()) {
    prompt += "Review the following email content:\n\n" + email + "\n\n";
    prompt += "Please draft a " + replyStyle(style);
  } else {
    prompt +=
        "You MUST follow the user's explicit instruction provided below, even if it means being negative or refusing a "
        "request. The user's instruction is paramount.\n\n";
    prompt += "USER'S CRITICAL INSTRUCTION: '" + instruction + "'\n\n";
    prompt += "Now, considering the user's critical instruction above, review the following email content:\n\n" + email +
              "\n\n";
    prompt += "Based on the user's critical instruction AND strictly adhering to the USER'S CRITICAL INSTRUCTION, draft a " +
              replyStyle(style);
    prompt += "For example, if the instruction was to decline, the reply must clearly decline. ";
  }
  prompt +=
      "Output ONLY the reply itself, without any introductory like 'Okay, here's a reply...'. But always include the "
      "closing signature.";
  return prompt;
}

std::string questions(const std::string& system, const std::string& email) {
  return system +
         "\n\nAdditional Task: Your specific task now is to analyze the following email content and identify key "
         "questions that the recipient needs to answer to formulate a reply. For example, if the email is an "
         "invitation, you might ask about attendance or availability. If it's a request for information, you might ask "
         "for the specific details required." +
         "\n\nEmail content:\n\"" + email + "\"\n\n" +
         "Please list the questions clearly. Each question should be on a new line. Do not number them or add any "
         "introductory/concluding text, just the questions themselves.";
}

std::string replyFromAnswers(const std::string& system, const std::string& email,
                             const std::vector<std::string>& questions, const std::vector<std::string>& answers,
                             const DraftStyle& style) {
  std::string prompt = system +
                       "\n\nAdditional Task: You are helping to draft a reply based on user's answers to specific "
                       "questions about an original email.\n\nORIGINAL EMAIL CONTENT:\n\"" +
                       email + "\"\n\nQUESTIONS YOU (THE AI) ASKED THE USER AND THE USER'S ANSWERS:\n";
  for (std::size_t i = 0; i < questions.size(); ++i) {
    const std::string& answer = i < answers.size() ? answers[i] : std::string();
    prompt += "Q: " + questions[i] + "\nA: " +
              (answer.empty() ? std::string("(User did not provide an answer to this question)") : answer) + "\n";
  }
  prompt += "\n";
  prompt += "Based on the original email content AND the user's answers above, please draft a " + replyStyle(style);
  prompt +=
      "Output ONLY the reply itself. Do not add any conversational preamble like 'Okay, here's the draft...'. Always "
      "include a closing signature if appropriate for the context.";
  return prompt;
}

std::string refinement(const std::string& system, const std::string& draft, const std::string& instruction,
                       const DraftStyle& style) {
  return system + "\n\nAdditional Task: You are refining an existing draft email.\n\nThe current draft is:\n'" + draft +
         "'\n\nThe user's specific instruction for refinement is:\n'" + instruction + "'\n\n" +
         "Please refine the draft based ONLY on the user's specific instruction. The refined reply should aim for a " +
         std::string(lengthWord(style.draftLengthValue)) + " length, within a " + style.scenario +
         " context, and convey a " + std::string(emotionPhrase(style.emotionLevel)) +
         " emotion. Output ONLY the refined reply itself, without any extra commentary.";
}

}  // namespace quorbel::prompts
