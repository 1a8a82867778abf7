#include <gtest/gtest.h>

#include <ostream>

#include "compose/Prompts.hpp"
#include "compose/QuestionParsing.hpp"

namespace {

using quorbel::DraftStyle;
namespace prompts = quorbel::prompts;

const std::string kClosing =
    "Output ONLY the reply itself, without any introductory like 'Okay, here's a reply...'. But always include the "
    "closing signature.";

struct WriteCase {
  const char* name;
  std::string email;
  std::string instruction;
  DraftStyle style;
  std::string expected;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class WritePromptTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WritePromptTest, MatchesTheTemplate) {
  const auto& c = GetParam();
  EXPECT_EQ(prompts::write("SYS", c.email, c.instruction, c.style), c.expected);
}

std::string instructed(const std::string& instruction, const std::string& email, const std::string& styleSentence) {
  return "SYS\n\nYou MUST follow the user's explicit instruction provided below, even if it means being negative or "
         "refusing a request. The user's instruction is paramount.\n\nUSER'S CRITICAL INSTRUCTION: '" +
         instruction + "'\n\nNow, considering the user's critical instruction above, review the following email content:\n\n" +
         email +
         "\n\nBased on the user's critical instruction AND strictly adhering to the USER'S CRITICAL INSTRUCTION, draft "
         "a " +
         styleSentence + "For example, if the instruction was to decline, the reply must clearly decline. " + kClosing;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WritePromptTest,
    ::testing::Values(
        WriteCase{"DefaultStyle", "Hi", "", {},
                  "SYS\n\nReview the following email content:\n\nHi\n\nPlease draft a standard length reply in a "
                  "professional context with a neutral emotion. " +
                      kClosing},
        WriteCase{"EmptyEmailLeavesFourLineFeeds", "", "", {"casual", 0, 0},
                  "SYS\n\nReview the following email content:\n\n\n\nPlease draft a brief and concise reply in a casual "
                  "context with a very friendly emotion. " +
                      kClosing},
        WriteCase{"DetailedAngry", "Hi", "", {"professional", 2, 4},
                  "SYS\n\nReview the following email content:\n\nHi\n\nPlease draft a detailed and comprehensive reply "
                  "in a professional context with a angry emotion. " +
                      kClosing},
        WriteCase{"OutOfRangeStyleFallsBack", "Hi", "", {"professional", 7, -1},
                  "SYS\n\nReview the following email content:\n\nHi\n\nPlease draft a standard length reply in a "
                  "professional context with a neutral emotion. " +
                      kClosing},
        WriteCase{"SingleSpaceIsAnInstruction", "Hi", " ", {},
                  instructed(" ", "Hi", "standard length reply in a professional context with a neutral emotion. ")},
        WriteCase{"InstructionWithQuoteUnescaped", "Dana <d@example.org>", "say it's fine", {"casual", 1, 3},
                  instructed("say it's fine", "Dana <d@example.org>",
                             "standard length reply in a casual context with a slightly angry emotion. ")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Prompts, Questions) {
  EXPECT_EQ(prompts::questions("SYS", "Come on Friday?"),
            "SYS\n\nAdditional Task: Your specific task now is to analyze the following email content and identify key "
            "questions that the recipient needs to answer to formulate a reply. For example, if the email is an "
            "invitation, you might ask about attendance or availability. If it's a request for information, you might "
            "ask for the specific details required.\n\nEmail content:\n\"Come on Friday?\"\n\nPlease list the questions "
            "clearly. Each question should be on a new line. Do not number them or add any introductory/concluding "
            "text, just the questions themselves.");
}

TEST(Prompts, ReplyFromAnswersMarksMissingAnswers) {
  EXPECT_EQ(prompts::replyFromAnswers("SYS", "Mail", {"What time?", "Which room?"}, {"10 am", ""}, {"casual", 0, 1}),
            "SYS\n\nAdditional Task: You are helping to draft a reply based on user's answers to specific questions "
            "about an original email.\n\nORIGINAL EMAIL CONTENT:\n\"Mail\"\n\nQUESTIONS YOU (THE AI) ASKED THE USER AND "
            "THE USER'S ANSWERS:\nQ: What time?\nA: 10 am\nQ: Which room?\nA: (User did not provide an answer to this "
            "question)\n\nBased on the original email content AND the user's answers above, please draft a brief and "
            "concise reply in a casual context with a friendly emotion. Output ONLY the reply itself. Do not add any "
            "conversational preamble like 'Okay, here's the draft...'. Always include a closing signature if "
            "appropriate for the context.");
  // An answer of blanks counts as given.
  EXPECT_NE(prompts::replyFromAnswers("S", "M", {"Q"}, {"  "}, {}).find("A:   \n"), std::string::npos);
}

TEST(Prompts, RefinementQuotesDraftAndInstructionUnchanged) {
  EXPECT_EQ(prompts::refinement("SYS", "It's 'done'.", "shorter", {"professional", 0, 2}),
            "SYS\n\nAdditional Task: You are refining an existing draft email.\n\nThe current draft is:\n'It's "
            "'done'.'\n\nThe user's specific instruction for refinement is:\n'shorter'\n\nPlease refine the draft based "
            "ONLY on the user's specific instruction. The refined reply should aim for a brief length, within a "
            "professional context, and convey a neutral emotion. Output ONLY the refined reply itself, without any extra "
            "commentary.");
}

struct QuestionCase {
  const char* name;
  std::string answer;
  std::vector<std::string> questions;
};

void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.name; }

class QuestionParsingTest : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(QuestionParsingTest, Parses) { EXPECT_EQ(quorbel::parseQuestions(GetParam().answer), GetParam().questions); }

INSTANTIATE_TEST_SUITE_P(
    Answers, QuestionParsingTest,
    ::testing::Values(QuestionCase{"MixedLineEnds", "What time?\r\n\n  Which room?  \n", {"What time?", "Which room?"}},
                      QuestionCase{"NumbersKept", "1. Attend?\n2. Diet?", {"1. Attend?", "2. Diet?"}},
                      QuestionCase{"OnlyBlankLines", "\n  \n\t\n", {}},
                      QuestionCase{"UnicodeSeparators", "A?\u2028B?\u2029C?\u0085D?", {"A?", "B?", "C?", "D?"}},
                      QuestionCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
