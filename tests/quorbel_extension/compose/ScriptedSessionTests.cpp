#include <gtest/gtest.h>

#include <ostream>
#include <sstream>

#include "LoopbackSetup.hpp"
#include "compose/MailExtension.hpp"
#include "compose/Prompts.hpp"
#include "compose/QuotedMessage.hpp"
#include "compose/ScriptedSession.hpp"
#include "compose/ComposeSessionViewController.hpp"
#include "mailkit/MessageFile.hpp"
#include "mailkit/ReplySession.hpp"
#include "router/UserSettingsAccessor.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using compose_test::chatReply;
using compose_test::promptOf;
using quorbel::DraftStyle;
using quorbel::EditorMode;
using quorbel::ScriptedSessionOptions;

const std::string kMessage =
    "From: Dana <dana@example.org>\r\nSubject: Offsite\r\nContent-Type: text/html\r\n\r\n<p>Can you join on <b>Friday</b> &amp; present?</p>"
    "<p>Dana &lt;dana@example.org&gt;</p>";
bool isQuestionRequest(const test_support::LoopbackServer::Request& request) {
  return promptOf(request).find("identify key questions") != std::string::npos;
}

const std::string kQuoted = "Can you join on Friday & present?\nDana <dana@example.org>";

// One scripted compose session through the extension's own handler, the
// router and a loopback server.
class ScriptedSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    compose_test::useOpenAIServer(server);
    messageFile = folder.write("offsite.eml", kMessage);
  }

  int run(const ScriptedSessionOptions& options, quorbel::DraftOutput draftOutput = quorbel::DraftOutput::exact) {
    auto session = mailkit::ReplySession::open(extension, messageFile);
    auto controller = std::dynamic_pointer_cast<quorbel::ComposeSessionViewController>((*session)->openExtensionView());
    out.str({});
    err.str({});
    return quorbel::runScriptedSession(*controller->popover(), options, out, err, draftOutput);
  }

  std::string system() { return quorbel::UserSettingsAccessor::shared().effectiveSystemPrompt(); }

  test_support::LoopbackServer server;
  test_support::TempDir folder;
  std::filesystem::path messageFile;
  quorbel::MailExtension extension;
  std::ostringstream out, err;
};

struct WriteCase {
  const char* name;
  std::string instruction;
  std::optional<std::string> scenario;
  std::optional<int> length, emotion;
  DraftStyle style;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ScriptedWriteTest : public ScriptedSessionTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ScriptedWriteTest, ServerReceivesExactlyThePrompt) {
  server.reply(chatReply("Dear Dana,\nYes, I will come.\nSam"));
  const auto& c = GetParam();
  ScriptedSessionOptions options;
  options.instruction = c.instruction;
  options.scenario = c.scenario;
  options.draftLengthValue = c.length;
  options.emotionLevel = c.emotion;
  ASSERT_EQ(run(options), 0) << err.str();
  EXPECT_EQ(out.str(), "Dear Dana,\nYes, I will come.\nSam\n");
  ASSERT_EQ(server.requestCount(), 1u);
  EXPECT_EQ(server.lastRequest().path, "/chat/completions");
  EXPECT_EQ(promptOf(server.lastRequest()), quorbel::prompts::write(system(), kQuoted, c.instruction, c.style));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, ScriptedWriteTest,
    ::testing::Values(WriteCase{"Defaults", "", {}, {}, {}, {"professional", 1, 2}},
                      WriteCase{"CasualBriefVeryFriendly", "", "casual", 0, 0, {"casual", 0, 0}},
                      WriteCase{"DetailedAngry", "", {}, 2, 4, {"professional", 2, 4}},
                      WriteCase{"Instruction", "decline, I'm away", {}, {}, 3, {"professional", 1, 3}},
                      WriteCase{"BlankInstruction", " ", "casual", 1, 1, {"casual", 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedSessionTest, QuotedMessageIsConvertedOnce) {
  server.reply(chatReply("ok"));
  ASSERT_EQ(run({}), 0) << err.str();
  auto prompt = promptOf(server.lastRequest());
  EXPECT_NE(prompt.find("\n\n" + kQuoted + "\n\n"), std::string::npos) << prompt;
  EXPECT_EQ(prompt.find("&amp;"), std::string::npos);
}

// Real-shaped mail through the whole Write session: the prompt is the one the
// quoted text makes, and the text reaches the model decoded, without any of
// the message's MIME scaffolding.
struct MailCase {
  const char* file;  // in tests/fuzz/corpus/mail_message, without ".eml"
  std::string phrase;
};
void PrintTo(const MailCase& c, std::ostream* os) { *os << c.file; }

class ScriptedMailTest : public ScriptedSessionTest, public ::testing::WithParamInterface<MailCase> {};

TEST_P(ScriptedMailTest, PromptQuotesTheDecodedText) {
  server.reply(chatReply("ok"));
  messageFile = std::string(MAIL_CORPUS) + "/" + GetParam().file + ".eml";
  ASSERT_EQ(run({}), 0) << err.str();
  auto prompt = promptOf(server.lastRequest());
  auto original = mailkit::MessageFile::read(messageFile)->message();
  auto quoted = quorbel::quotedMessageText(mailkit::MEComposeContext{std::make_shared<const mailkit::MEMessage>(original)},
                                           platform::OSLog("com.holdrin.quorbel.extension", "ComposeSessionHandler"));
  EXPECT_EQ(prompt, quorbel::prompts::write(system(), quoted, "", {"professional", 1, 2}));
  EXPECT_NE(prompt.find(GetParam().phrase), std::string::npos) << prompt;
  for (std::string scaffolding : {"Content-Type", "Content-Transfer-Encoding", "--Apple-Mail", "\x1b", "=?"})
    EXPECT_EQ(prompt.find(scaffolding), std::string::npos) << scaffolding << " in " << prompt;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ScriptedMailTest,
    ::testing::Values(MailCase{"shift_jis_single_part", "来週の会議は水曜日の午後三時からです。"},
                      MailCase{"iso_2022_jp_seven_bit", "資料を添付しました。"},
                      MailCase{"windows_1255_mailing_list", "הפגישה הבאה של הקבוצה"},
                      MailCase{"iphone_blank_first_line", "Here is the whiteboard from today."},
                      MailCase{"two_content_types", "The floor plan is attached."},
                      MailCase{"empty_html_alternative", "Please take our five-minute survey"}),
    [](const auto& info) { return std::string(info.param.file); });

TEST_F(ScriptedSessionTest, AgentPrintsTheQuestionsWithoutAnswers) {
  server.reply(chatReply("Can you attend on Friday?\n\n  Will you present?  \n"));
  ScriptedSessionOptions options;
  options.mode = EditorMode::aiAgent;
  ASSERT_EQ(run(options), 0) << err.str();
  EXPECT_EQ(out.str(), "Can you attend on Friday?\nWill you present?\n");
  EXPECT_EQ(promptOf(server.lastRequest()), quorbel::prompts::questions(system(), kQuoted));
}

TEST_F(ScriptedSessionTest, AgentDraftsFromTheAnswers) {
  server.handle([](const auto& request) {
    return isQuestionRequest(request) ? chatReply("1. Can you attend?\n2. Will you present?\n3. Any diet?")
                                      : chatReply("Happy to come.");
  });
  ScriptedSessionOptions options;
  options.mode = EditorMode::aiAgent;
  options.answersFile = folder.write("answers.txt", "Yes\r\n\nvegetarian\n");
  ASSERT_EQ(run(options), 0) << err.str();
  EXPECT_EQ(out.str(), "Happy to come.\n");
  ASSERT_EQ(server.requestCount(), 2u);
  auto prompt = promptOf(server.lastRequest());
  EXPECT_EQ(prompt, quorbel::prompts::replyFromAnswers(system(), kQuoted,
                                                       {"1. Can you attend?", "2. Will you present?", "3. Any diet?"},
                                                       {"Yes", "", "vegetarian"}, {}));
  EXPECT_NE(prompt.find("Q: 2. Will you present?\nA: (User did not provide an answer to this question)\n"),
            std::string::npos);
}

// An answers file of fewer lines than questions leaves the last questions
// without an answer, as empty fields would, and names each of them.
struct ShortAnswersCase {
  const char* name;
  std::string file;
  std::vector<std::string> answers;  // as sent
  std::vector<int> unanswered;       // the questions named, from 1
};
void PrintTo(const ShortAnswersCase& c, std::ostream* os) { *os << c.name; }

class ShortAnswersTest : public ScriptedSessionTest, public ::testing::WithParamInterface<ShortAnswersCase> {};

TEST_P(ShortAnswersTest, NamesTheQuestionsWithoutAnAnswer) {
  const std::vector<std::string> questions{"Can you attend?", "Will you present?", "Any diet?"};
  server.handle([](const auto& request) {
    return isQuestionRequest(request) ? chatReply("Can you attend?\nWill you present?\nAny diet?")
                                      : chatReply("Happy to come.");
  });
  ScriptedSessionOptions options;
  options.mode = EditorMode::aiAgent;
  options.answersFile = folder.write("answers.txt", GetParam().file);
  ASSERT_EQ(run(options), 0) << err.str();
  EXPECT_EQ(out.str(), "Happy to come.\n");
  EXPECT_EQ(promptOf(server.lastRequest()),
            quorbel::prompts::replyFromAnswers(system(), kQuoted, questions, GetParam().answers, {}));
  std::string named;
  for (int question : GetParam().unanswered)
    named += options.answersFile->string() + " has no answer for question " + std::to_string(question) + ": " +
             questions[question - 1] + "\n";
  EXPECT_EQ(err.str(), named);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ShortAnswersTest,
    ::testing::Values(ShortAnswersCase{"OneLineAQuestion", "Yes\n\nvegan", {"Yes", "", "vegan"}, {}},
                      ShortAnswersCase{"MoreLinesThanQuestions", "Yes\nNo\nvegan\nextra\n", {"Yes", "No", "vegan"}, {}},
                      ShortAnswersCase{"TwoLines", "Yes\r\nNo\r\n", {"Yes", "No", ""}, {3}},
                      ShortAnswersCase{"OneLineWithoutItsBreak", "Yes", {"Yes", "", ""}, {2, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedSessionTest, AgentWithAnswersButNoQuestionsFails) {
  server.reply(chatReply("\n  \n"));
  ScriptedSessionOptions options;
  options.mode = EditorMode::aiAgent;
  options.answersFile = folder.write("answers.txt", "Yes\n");
  EXPECT_NE(run(options), 0);
  EXPECT_EQ(err.str(), "No questions generated or empty response.\n");
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ScriptedSessionTest, RefinementKeepsTheDraftWhenTheAnswerIsEmpty) {
  server.handle([](const auto& request) {
    return promptOf(request).find("You are refining an existing draft") == std::string::npos ? chatReply("First draft")
                                                                                              : chatReply("");
  });
  ScriptedSessionOptions options;
  options.refinement = "  make it shorter ";
  ASSERT_EQ(run(options), 0) << err.str();
  EXPECT_EQ(out.str(), "First draft\n");
  EXPECT_EQ(promptOf(server.lastRequest()),
            quorbel::prompts::refinement(system(), "First draft", "make it shorter", {}));
}

TEST_F(ScriptedSessionTest, RefinementOfAnEmptyDraftFailsWithoutSending) {
  server.reply(chatReply(""));
  ScriptedSessionOptions options;
  options.refinement = "shorter";
  EXPECT_NE(run(options), 0);
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(err.str(), "Nothing to refine: the provider answered with an empty draft.\n");
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ScriptedSessionTest, FailureGoesToStandardErrorWithNonZeroStatus) {
  server.reply(500, "{\"error\":\"down\"}");
  EXPECT_NE(run({}), 0);
  EXPECT_TRUE(out.str().empty());
  EXPECT_FALSE(err.str().empty());
}

// The model's text reaches a pipe exactly and a terminal with what it would
// act on escaped (its line breaks stay); an error text is a diagnostic line
// either way.
struct OutputCase {
  const char* name;
  EditorMode mode;
  quorbel::DraftOutput draftOutput;
  std::string out;
};
void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }

const std::string kHostileAnswer = "Dear Dana,\r\n\x1B]0;pwned\x07\x1B[2JSee you\n\u202Etxt.exe";

class ScriptedOutputTest : public ScriptedSessionTest, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(ScriptedOutputTest, ShowsTheAnswerAsItsOutputAllows) {
  server.reply(chatReply(kHostileAnswer));
  ScriptedSessionOptions options;
  options.mode = GetParam().mode;
  ASSERT_EQ(run(options, GetParam().draftOutput), 0) << err.str();
  EXPECT_EQ(out.str(), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ScriptedOutputTest,
    ::testing::Values(
        OutputCase{"DraftToAPipe", EditorMode::write, quorbel::DraftOutput::exact, kHostileAnswer + "\n"},
        OutputCase{"DraftToATerminal", EditorMode::write, quorbel::DraftOutput::terminal,
                   "Dear Dana,\r\n\\u{1B}]0;pwned\\u{7}\\u{1B}[2JSee you\n\\u{202E}txt.exe\n"},
        OutputCase{"QuestionsToATerminal", EditorMode::aiAgent, quorbel::DraftOutput::terminal,
                   "Dear Dana,\n\\u{1B}]0;pwned\\u{7}\\u{1B}[2JSee you\n\\u{202E}txt.exe\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedSessionTest, AnErrorTextIsWrittenAsADiagnosticLine) {
  auto suite = platform::UserDefaults::suite("group.tesvarin.quorbel");
  suite->set("llm_endpoint", "http:/alice:secret@host/v1\x1B[2J");
  suite->synchronize();
  EXPECT_NE(run({}), 0);
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(err.str(),
            "Invalid API endpoint URL: 'http:/***@host/v1\\u{1B}[2J/chat/completions'. Please check your endpoint "
            "configuration and ensure it includes the protocol (https://).\n");
}

}  // namespace
