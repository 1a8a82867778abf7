#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <ostream>

#include "CompositionDoubles.hpp"
#include "compose/MailPopoverModel.hpp"
#include "compose/Prompts.hpp"
#include "compose/WriteDiagnostics.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Pasteboard.hpp"
#include "foundation/UserDefaults.hpp"
#include "router/UserSettingsAccessor.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using compose_test::RecordingLLMService;
using quorbel::EditorMode;
using quorbel::MailPopoverModel;

platform::ErrorPtr failure(const std::string& text) { return platform::makeError("Test", 7, text); }

void drainMainQueue() { platform::RunLoop::drainMainQueue(); }

class MailPopoverModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    platform::Pasteboard::general().setString("");
    drainMainQueue();
    popover = MailPopoverModel::make({450, 550}, "Quoted <mail>", service,
                                     [this](MailPopoverModel::Size size) { reportedSizes.push_back(size); });
  }

  std::string system() { return quorbel::UserSettingsAccessor::shared().effectiveSystemPrompt(); }

  // A Write request answered with `answer`, applied.
  void draft(const std::string& answer) {
    popover->generateReply();
    service->answer(service->requests.size() - 1, answer);
    drainMainQueue();
  }

  // An AI Agent analysis answered with `answer`, applied.
  void analyze(const std::string& answer) {
    popover->startQuestionAnalysis();
    service->answer(service->requests.size() - 1, answer);
    drainMainQueue();
  }

  std::shared_ptr<RecordingLLMService> service = std::make_shared<RecordingLLMService>();
  std::shared_ptr<MailPopoverModel> popover;
  std::vector<MailPopoverModel::Size> reportedSizes;
};

// --- Modes -------------------------------------------------------------------

TEST_F(MailPopoverModelTest, StartsAsAFreshPopover) {
  EXPECT_EQ(popover->currentMode.get(), EditorMode::write);
  EXPECT_EQ(popover->scenario.get(), "professional");
  EXPECT_EQ(popover->draftLengthValue.get(), 1);
  EXPECT_EQ(popover->emotionLevel.get(), 2);
  EXPECT_TRUE(popover->isControlsSectionExpanded.get());
  EXPECT_EQ(popover->selectedModelConfig->name, "Gemini Flash Lite (Default)");
  EXPECT_EQ(popover->selectedModelConfig->id.size(), 36u);
}

TEST_F(MailPopoverModelTest, PickingTheSameModeOnlyClearsTheQuestions) {
  popover->handleModeSelection(EditorMode::aiAgent);
  analyze("Attend?");
  ASSERT_EQ(popover->aiQuestions->size(), 1u);
  test_support::ConsoleCapture console;
  popover->handleModeSelection(EditorMode::aiAgent);
  EXPECT_TRUE(popover->aiQuestions->empty());
  EXPECT_FALSE(popover->hasGeneratedQuestions.get());
  EXPECT_TRUE(console.contains("Resetting AI state for mode: AI Agent"));
  EXPECT_EQ(popover->currentMode.get(), EditorMode::aiAgent);
}

TEST_F(MailPopoverModelTest, PickingAnotherModeWithoutDraftSwitchesAndKeepsInstructionAndStyle) {
  popover->userPrompt = "decline politely";
  popover->emotionLevel = 0;
  popover->handleModeSelection(EditorMode::voiceAgent);
  EXPECT_EQ(popover->currentMode.get(), EditorMode::voiceAgent);
  EXPECT_FALSE(popover->showTabChangeAlert.get());
  EXPECT_EQ(popover->userPrompt.get(), "decline politely");
  EXPECT_EQ(popover->emotionLevel.get(), 0);
}

TEST_F(MailPopoverModelTest, PickingAnotherModeWithDraftAsksFirst) {
  draft("Dear Dana");
  popover->handleModeSelection(EditorMode::aiAgent);
  EXPECT_TRUE(popover->showTabChangeAlert.get());
  EXPECT_EQ(popover->pendingModeChange.get(), EditorMode::aiAgent);
  drainMainQueue();  // the picker shows the previous mode again
  EXPECT_EQ(popover->currentMode.get(), EditorMode::write);
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
}

TEST_F(MailPopoverModelTest, LeaveTabDiscardsDraftAndSwitches) {
  popover->refinementPrompt = "shorter";
  draft("Dear Dana");
  popover->error = failure("old");
  popover->handleModeSelection(EditorMode::aiAgent);
  drainMainQueue();
  popover->confirmModeChange();
  EXPECT_EQ(popover->currentMode.get(), EditorMode::aiAgent);
  EXPECT_TRUE(popover->currentDraft->empty());
  EXPECT_FALSE(popover->hasGeneratedDraft.get());
  EXPECT_EQ(popover->error.get(), nullptr);
  EXPECT_FALSE(popover->pendingModeChange->has_value());
  EXPECT_EQ(popover->refinementPrompt.get(), "shorter");
}

TEST_F(MailPopoverModelTest, CancelKeepsModeAndDraft) {
  draft("Dear Dana");
  popover->handleModeSelection(EditorMode::voiceAgent);
  drainMainQueue();
  popover->cancelModeChange();
  EXPECT_EQ(popover->currentMode.get(), EditorMode::write);
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
  EXPECT_FALSE(popover->pendingModeChange->has_value());
  popover->confirmModeChange();  // nothing pending: nothing happens
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
}

TEST_F(MailPopoverModelTest, LeaveTabBeforeTheReselectionRanStaysInThePickedMode) {
  draft("Dear Dana");
  popover->handleModeSelection(EditorMode::aiAgent);
  popover->confirmModeChange();  // the queued re-selection has not run yet
  drainMainQueue();
  EXPECT_EQ(popover->currentMode.get(), EditorMode::aiAgent);
  EXPECT_TRUE(popover->currentDraft->empty());
}

TEST_F(MailPopoverModelTest, CancelBeforeTheReselectionRanShowsThePreviousMode) {
  draft("Dear Dana");
  popover->handleModeSelection(EditorMode::voiceAgent);
  popover->cancelModeChange();
  EXPECT_EQ(popover->currentMode.get(), EditorMode::write);
  drainMainQueue();
  EXPECT_EQ(popover->currentMode.get(), EditorMode::write);
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
}

// A draft is shown, a refinement or a question request is still running when
// the user leaves the tab; whatever it answers later changes nothing.
struct LateAnswerCase {
  const char* name;
  bool questionRequest;
  bool succeeds;
};
void PrintTo(const LateAnswerCase& c, std::ostream* os) { *os << c.name; }

class LateAnswerTest : public MailPopoverModelTest, public ::testing::WithParamInterface<LateAnswerCase> {};

TEST_P(LateAnswerTest, AnswerAfterLeaveTabIsDropped) {
  const auto& c = GetParam();
  popover->handleModeSelection(EditorMode::aiAgent);
  draft("Dear Dana");
  if (c.questionRequest) {
    popover->analyzeEmailForQuestions();
  } else {
    popover->refinementPrompt = "shorter";
    popover->refineDraft();
  }
  std::size_t running = service->requests.size() - 1;
  platform::Pasteboard::general().setString("pasted elsewhere");
  popover->handleModeSelection(EditorMode::write);
  drainMainQueue();
  popover->confirmModeChange();
  ASSERT_FALSE(popover->isLoading.get());
  service->answer(running, c.succeeds ? quorbel::LLMResult("Refined draft?") : std::unexpected(failure("late")));
  drainMainQueue();
  EXPECT_EQ(popover->currentMode.get(), EditorMode::write);
  EXPECT_TRUE(popover->currentDraft->empty());
  EXPECT_FALSE(popover->hasGeneratedDraft.get());
  EXPECT_EQ(popover->error.get(), nullptr);
  EXPECT_TRUE(popover->aiQuestions->empty());
  EXPECT_EQ(popover->questionGenerationError.get(), nullptr);
  EXPECT_EQ(platform::Pasteboard::general().string(), "pasted elsewhere");
  // The next request is answered as usual.
  draft("New draft");
  EXPECT_EQ(popover->currentDraft.get(), "New draft");
}

INSTANTIATE_TEST_SUITE_P(Requests, LateAnswerTest,
                         ::testing::Values(LateAnswerCase{"RefinementAnswer", false, true},
                                           LateAnswerCase{"RefinementFailure", false, false},
                                           LateAnswerCase{"QuestionsAnswer", true, true},
                                           LateAnswerCase{"QuestionsFailure", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A new analysis discards the draft too: picking the AI Agent segment again
// brings its button back while a refinement of the shown draft still runs.
TEST_F(MailPopoverModelTest, RefinementAnswerAfterANewAnalysisIsDropped) {
  popover->handleModeSelection(EditorMode::aiAgent);
  analyze("Attend?");
  popover->setAnswer(0, "yes");
  popover->generateReplyFromAnswers();
  service->answer(service->requests.size() - 1, std::string("Dear Dana"));
  drainMainQueue();
  popover->refinementPrompt = "shorter";
  popover->refineDraft();
  std::size_t refinement = service->requests.size() - 1;
  platform::Pasteboard::general().setString("pasted elsewhere");
  popover->handleModeSelection(EditorMode::aiAgent);
  popover->startQuestionAnalysis();
  EXPECT_FALSE(popover->isLoading.get());
  service->answer(refinement, std::string("Refined draft"));
  drainMainQueue();
  EXPECT_TRUE(popover->currentDraft->empty());
  EXPECT_FALSE(popover->hasGeneratedDraft.get());
  EXPECT_EQ(platform::Pasteboard::general().string(), "pasted elsewhere");
  service->answer(service->requests.size() - 1, std::string("Attend?\nBring slides?"));
  drainMainQueue();
  EXPECT_EQ(popover->aiQuestions->size(), 2u);
}

// A reply still being drafted when the questions are analysed again has no
// draft to lose: its answer is shown as before.
TEST_F(MailPopoverModelTest, ReplyStillDraftingDuringANewAnalysisIsShown) {
  popover->handleModeSelection(EditorMode::aiAgent);
  analyze("Attend?");
  popover->setAnswer(0, "yes");
  popover->generateReplyFromAnswers();
  std::size_t reply = service->requests.size() - 1;
  popover->handleModeSelection(EditorMode::aiAgent);
  popover->startQuestionAnalysis();
  EXPECT_TRUE(popover->isLoading.get());
  service->answer(reply, std::string("Dear Dana"));
  drainMainQueue();
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
  EXPECT_FALSE(popover->isLoading.get());
}

// --- Write ---------------------------------------------------------------------

TEST_F(MailPopoverModelTest, WriteSendsTheWholePromptWithoutSystemPrompt) {
  popover->userPrompt = "say yes";
  popover->scenario = "casual";
  popover->draftLengthValue = 2;
  popover->generateReply();
  ASSERT_EQ(service->requests.size(), 1u);
  EXPECT_EQ(service->requests[0].prompt,
            quorbel::prompts::write(system(), "Quoted <mail>", "say yes", {"casual", 2, 2}));
  EXPECT_FALSE(service->requests[0].systemPrompt.has_value());
  EXPECT_TRUE(popover->isLoading.get());
}

TEST_F(MailPopoverModelTest, ResultIsAppliedOnTheMainQueueAfterTheActionReturned) {
  popover->generateReply();
  service->answer(0, std::string("Dear Dana"));  // delivered at once, as an early failure would be
  EXPECT_TRUE(popover->currentDraft->empty());
  EXPECT_TRUE(popover->isLoading.get());
  drainMainQueue();
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
  EXPECT_TRUE(popover->hasGeneratedDraft.get());
  EXPECT_FALSE(popover->isLoading.get());
  EXPECT_FALSE(popover->isControlsSectionExpanded.get());
  EXPECT_EQ(platform::Pasteboard::general().string(), "Dear Dana");
  EXPECT_TRUE(popover->showCopiedMessage.get());
}

TEST_F(MailPopoverModelTest, FailedWriteShowsTheError) {
  popover->generateReply();
  service->answer(0, std::unexpected(failure("HTTP error: 500")));
  drainMainQueue();
  EXPECT_EQ(popover->error.get()->localizedDescription(), "HTTP error: 500");
  EXPECT_TRUE(popover->currentDraft->empty());
  EXPECT_FALSE(popover->hasGeneratedDraft.get());
  EXPECT_FALSE(popover->isLoading.get());
  EXPECT_FALSE(popover->isControlsSectionExpanded.get());
}

TEST_F(MailPopoverModelTest, EmptyAnswerIsShownButNotCopied) {
  platform::Pasteboard::general().setString("before");
  draft("");
  EXPECT_TRUE(popover->hasGeneratedDraft.get());
  EXPECT_FALSE(popover->showCopiedMessage.get());
  EXPECT_EQ(platform::Pasteboard::general().string(), "before");
}

TEST_F(MailPopoverModelTest, OneDraftRequestAtATime) {
  popover->generateReply();
  popover->generateReply();  // Return pressed again while the first runs
  popover->currentDraft = "hand-written";
  popover->refinementPrompt = "shorter";
  popover->refineDraft();
  EXPECT_EQ(service->requests.size(), 1u);
  service->answer(0, std::string("first"));
  drainMainQueue();
  popover->generateReply();
  EXPECT_EQ(service->requests.size(), 2u);
}

TEST_F(MailPopoverModelTest, AnswerAfterThePopoverClosedIsDropped) {
  popover->generateReply();
  popover->copyAndFlashConfirmation();  // leaves a delayed hide behind
  std::weak_ptr<MailPopoverModel> weak = popover;
  popover.reset();
  ASSERT_TRUE(weak.expired());
  service->answer(0, std::string("late answer"));
  drainMainQueue();
  platform::RunLoop::runFor(std::chrono::milliseconds(3200));  // the delayed hide finds nothing either
  EXPECT_EQ(platform::Pasteboard::general().string(), "");  // the late answer was not copied
}

TEST_F(MailPopoverModelTest, WriteLeavesItsStamps) {
  draft("x");
  auto regular = platform::UserDefaults::standard().string("extension_test_regular");
  ASSERT_TRUE(regular.has_value());
  EXPECT_TRUE(regular->starts_with("Extension generateReply called at "));
  EXPECT_TRUE(regular->ends_with(" +0000"));
  EXPECT_EQ(platform::UserDefaults::suite("group.tesvarin.quorbel")->string("extension_test_shared"), regular);
}

TEST(WriteDiagnostics, StampIsInUTCWhateverTheTimeZone) {
  for (const char* zone : {"UTC", "America/New_York", "Asia/Kolkata"}) {
    test_support::ScopedEnv timeZone("TZ", zone);
    tzset();
    std::chrono::system_clock::time_point stamp{std::chrono::seconds(1738314902)};
    EXPECT_EQ(quorbel::defaultDateDescription(stamp + std::chrono::milliseconds(900)), "2025-01-31 09:15:02 +0000")
        << zone;
  }
  tzset();
}

TEST_F(MailPopoverModelTest, PromptsArePrintedOnlyWithDebugLogging) {
  auto printedPrompts = [&](std::optional<std::string> debug) {
    test_support::ScopedEnv env("DEBUG_LOGGING", debug);
    test_support::ConsoleCapture console;
    draft("Dear Dana");
    popover->refinementPrompt = "shorter";
    popover->refineDraft();
    service->answer(service->requests.size() - 1, std::string("Dear D."));
    drainMainQueue();
    analyze("Attend?");
    popover->setAnswer(0, "yes");
    popover->generateReplyFromAnswers();
    service->answer(service->requests.size() - 1, std::string("Yes"));
    drainMainQueue();
    int count = 0;
    for (const auto& line : console.lines())
      for (const char* label : {"Generated prompt: ", "Refinement prompt: ", "Question generation prompt: ",
                                "AI Agent - Reply generation prompt: "})
        count += line.starts_with(label);
    return count;
  };
  EXPECT_EQ(printedPrompts(std::nullopt), 0);
  EXPECT_EQ(printedPrompts("1"), 4);
}

TEST_F(MailPopoverModelTest, EmptyingTheDraftUnfoldsTheControls) {
  draft("Dear Dana");
  ASSERT_FALSE(popover->isControlsSectionExpanded.get());
  popover->currentDraft = std::string("Dear Dan");
  EXPECT_FALSE(popover->isControlsSectionExpanded.get());
  popover->currentDraft = std::string();
  EXPECT_TRUE(popover->isControlsSectionExpanded.get());
}

// --- AI Agent ------------------------------------------------------------------------

TEST_F(MailPopoverModelTest, QuestionsComeOnePerLineWithEmptyAnswers) {
  draft("old draft");
  popover->handleModeSelection(EditorMode::aiAgent);
  popover->confirmModeChange();
  popover->startQuestionAnalysis();
  EXPECT_TRUE(popover->isLoadingQuestions.get());
  EXPECT_FALSE(popover->isLoading.get());
  EXPECT_EQ(service->requests.back().prompt, quorbel::prompts::questions(system(), "Quoted <mail>"));
  service->answer(service->requests.size() - 1, std::string("What time?\r\n\n  Which room?  \n"));
  drainMainQueue();
  EXPECT_EQ(popover->aiQuestions.get(), (std::vector<std::string>{"What time?", "Which room?"}));
  EXPECT_EQ(popover->userAnswers.get(), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(popover->hasGeneratedQuestions.get());
  EXPECT_FALSE(popover->isLoadingQuestions.get());
}

TEST_F(MailPopoverModelTest, BlankAnswerGivesNoQuestionsAndNoError) {
  test_support::ConsoleCapture console;
  analyze("\n \n");
  EXPECT_TRUE(popover->aiQuestions->empty());
  EXPECT_FALSE(popover->hasGeneratedQuestions.get());
  EXPECT_EQ(popover->questionGenerationError.get(), nullptr);
  EXPECT_TRUE(console.contains("No questions generated or empty response."));
}

TEST_F(MailPopoverModelTest, FailedAnalysisKeepsTheListsEmpty) {
  popover->startQuestionAnalysis();
  popover->startQuestionAnalysis();  // one question request at a time
  ASSERT_EQ(service->requests.size(), 1u);
  service->answer(0, std::unexpected(failure("offline")));
  drainMainQueue();
  EXPECT_EQ(popover->questionGenerationError.get()->localizedDescription(), "offline");
  EXPECT_TRUE(popover->aiQuestions->empty());
  EXPECT_FALSE(popover->isLoadingQuestions.get());
}

TEST_F(MailPopoverModelTest, AnalysisRestartedAfterAResetDropsTheOlderAnswer) {
  for (bool olderAnswersLast : {true, false}) {
    popover->handleModeSelection(EditorMode::aiAgent);
    popover->startQuestionAnalysis();
    std::size_t older = service->requests.size() - 1;
    popover->handleModeSelection(EditorMode::write);  // the reset ends the loading state
    popover->handleModeSelection(EditorMode::aiAgent);
    popover->startQuestionAnalysis();
    std::size_t newer = service->requests.size() - 1;
    ASSERT_NE(older, newer);
    service->answer(olderAnswersLast ? newer : older, std::string(olderAnswersLast ? "Newer?" : "Older?"));
    drainMainQueue();
    EXPECT_EQ(popover->isLoadingQuestions.get(), !olderAnswersLast) << olderAnswersLast;
    service->answer(olderAnswersLast ? older : newer, std::string(olderAnswersLast ? "Older?" : "Newer?"));
    drainMainQueue();
    EXPECT_EQ(popover->aiQuestions.get(), std::vector<std::string>{"Newer?"}) << olderAnswersLast;
    EXPECT_FALSE(popover->isLoadingQuestions.get());
  }
}

TEST_F(MailPopoverModelTest, ReplyWithoutQuestionsIsRefused) {
  popover->generateReplyFromAnswers();
  EXPECT_TRUE(service->requests.empty());
  ASSERT_NE(popover->error.get(), nullptr);
  EXPECT_EQ(popover->error.get()->domain(), "AppError");
  EXPECT_EQ(popover->error.get()->code(), 0);
  EXPECT_EQ(popover->error.get()->localizedDescription(),
            "Mismatch between questions and answers or no questions available.");
  EXPECT_FALSE(popover->isLoading.get());
}

TEST_F(MailPopoverModelTest, ReplyFromAnswersCarriesQuestionsAndAnswers) {
  analyze("What time?\nWhich room?");
  popover->setAnswer(0, "10 am");
  popover->generateReplyFromAnswers();
  EXPECT_EQ(service->requests.back().prompt,
            quorbel::prompts::replyFromAnswers(system(), "Quoted <mail>", {"What time?", "Which room?"}, {"10 am", ""},
                                               popover->style()));
  service->answer(service->requests.size() - 1, std::string("See you at 10."));
  drainMainQueue();
  EXPECT_EQ(popover->currentDraft.get(), "See you at 10.");
  EXPECT_FALSE(popover->isQuestionsSectionExpanded.get());
  EXPECT_EQ(popover->userAnswers.get(), (std::vector<std::string>{"10 am", ""}));
  EXPECT_TRUE(popover->isControlsSectionExpanded.get());
}

// --- Refinement and copy --------------------------------------------------------------

TEST_F(MailPopoverModelTest, RefinementSendsTrimmedInstructionAndReplacesTheDraft) {
  draft("Dear Dana");
  popover->refinementPrompt = "  shorter \n";
  popover->refineDraft();
  EXPECT_EQ(service->requests.back().prompt,
            quorbel::prompts::refinement(system(), "Dear Dana", "shorter", popover->style()));
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");  // shown while refining
  service->answer(service->requests.size() - 1, std::string("Hi Dana"));
  drainMainQueue();
  EXPECT_EQ(popover->currentDraft.get(), "Hi Dana");
  EXPECT_TRUE(popover->refinementPrompt->empty());
  EXPECT_EQ(platform::Pasteboard::general().string(), "Hi Dana");
}

TEST_F(MailPopoverModelTest, EmptyRefinementKeepsTheDraft) {
  draft("Dear Dana");
  platform::Pasteboard::general().setString("elsewhere");
  popover->refinementPrompt = "shorter";
  popover->refineDraft();
  service->answer(service->requests.size() - 1, std::string(""));
  drainMainQueue();
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
  EXPECT_TRUE(popover->refinementPrompt->empty());
  EXPECT_EQ(platform::Pasteboard::general().string(), "elsewhere");
}

TEST_F(MailPopoverModelTest, RefinementNeedsADraftAndAnInstruction) {
  popover->refinementPrompt = "shorter";
  popover->refineDraft();
  draft("Dear Dana");
  popover->refinementPrompt = " \n ";
  popover->refineDraft();
  EXPECT_EQ(service->requests.size(), 1u);
}

TEST_F(MailPopoverModelTest, FailedRefinementKeepsDraftAndInstruction) {
  draft("Dear Dana");
  popover->refinementPrompt = "shorter";
  popover->refineDraft();
  service->answer(service->requests.size() - 1, std::unexpected(failure("timeout")));
  drainMainQueue();
  EXPECT_EQ(popover->currentDraft.get(), "Dear Dana");
  EXPECT_EQ(popover->refinementPrompt.get(), "shorter");
  EXPECT_EQ(popover->error.get()->localizedDescription(), "timeout");
}

TEST_F(MailPopoverModelTest, CopyPrintsAPreviewAndHidesTheConfirmationThreeSecondsLater) {
  popover->currentDraft = std::string(60, 'x');
  test_support::ConsoleCapture console;
  auto before = platform::Clock::now();
  popover->copyAndFlashConfirmation();
  EXPECT_TRUE(console.contains("Copied to pasteboard: " + std::string(50, 'x') + "..."));
  EXPECT_TRUE(popover->showCopiedMessage.get());
  drainMainQueue();  // the hiding is not due yet
  EXPECT_TRUE(popover->showCopiedMessage.get());
  ASSERT_TRUE(test_support::runMainQueueUntil([&] { return !popover->showCopiedMessage.get(); }));
  EXPECT_GE(platform::Clock::now() - before, std::chrono::milliseconds(3000));
}

// An answer that would act on a terminal (a title change, a screen clear, a
// line break faking a log line, a bidi override) is shown and copied exactly
// as sent; only the console line about it shows those characters escaped.
TEST_F(MailPopoverModelTest, AnAnswersControlCharactersReachThePasteboardButNotTheConsole) {
  const std::string answer = "\x1B]0;pwned\x07\x1B[2JHi\r\n\u202Etxt.exe";
  test_support::ConsoleCapture console;
  draft(answer);
  EXPECT_EQ(popover->currentDraft.get(), answer);
  EXPECT_EQ(platform::Pasteboard::general().string(), answer);
  EXPECT_TRUE(console.contains("Copied to pasteboard: \\u{1B}]0;pwned\\u{7}\\u{1B}[2JHi\\r\\n\\u{202E}txt.exe..."))
      << console.joined();
}

// --- Size ------------------------------------------------------------------------------

TEST_F(MailPopoverModelTest, ResizeFollowsTheDragWithinBoundsAndReportsAtTheEnd) {
  popover->appeared();
  ASSERT_EQ(reportedSizes.size(), 1u);
  EXPECT_EQ(reportedSizes[0].width, 450);
  popover->resizeDragChanged(100, -100);
  popover->resizeDragChanged(170, -70);  // translation since the drag began
  EXPECT_EQ(popover->currentWidth.get(), 620);
  EXPECT_EQ(popover->currentHeight.get(), 480);
  EXPECT_EQ(reportedSizes.size(), 1u);
  popover->resizeDragEnded();
  ASSERT_EQ(reportedSizes.size(), 2u);
  EXPECT_EQ(reportedSizes[1].width, 620);
  EXPECT_EQ(reportedSizes[1].height, 480);

  popover->resizeDragChanged(1000, 1000);
  EXPECT_EQ(popover->currentWidth.get(), 800);
  EXPECT_EQ(popover->currentHeight.get(), 768);
  popover->resizeDragChanged(-1000, -1000);
  EXPECT_EQ(popover->currentWidth.get(), 350);
  EXPECT_EQ(popover->currentHeight.get(), 300);
  popover->resizeDragEnded();
  popover->resizeDragEnded();  // no drag running: nothing to report
  EXPECT_EQ(reportedSizes.size(), 3u);
}

}  // namespace
