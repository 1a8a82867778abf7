#include "compose/MailPopoverModel.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

#include "compose/Prompts.hpp"
#include "compose/QuestionParsing.hpp"
#include "compose/WriteDiagnostics.hpp"
#include "foundation/Console.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Pasteboard.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionConfig.hpp"
#include "router/UserSettingsAccessor.hpp"

namespace quorbel {

namespace {

using platform::console::print;

constexpr auto kCopiedMessageDuration = std::chrono::milliseconds(3000);

// Prompts quote private mail: they are printed only while debug logging is on.
void printPrompt(const std::string& label, const std::string& prompt) {
  if (ExtensionConfig::isDebugLoggingEnabled()) print(label + prompt);
}

std::string systemPrompt() { return UserSettingsAccessor::shared().effectiveSystemPrompt(); }

double clamped(double value, double lower, double upper) { return std::max(lower, std::min(upper, value)); }

}  // namespace

std::shared_ptr<MailPopoverModel> MailPopoverModel::make(Size size, std::string quotedEmailContent,
                                                         std::shared_ptr<LLMService> llmService,
                                                         SizeChange onSizeChange) {
  return std::shared_ptr<MailPopoverModel>(
      new MailPopoverModel(size, std::move(quotedEmailContent), std::move(llmService), std::move(onSizeChange)));
}

MailPopoverModel::MailPopoverModel(Size size, std::string quotedEmailContent, std::shared_ptr<LLMService> llmService,
                                   SizeChange onSizeChange)
    : currentWidth(size.width),
      currentHeight(size.height),
      selectedModelConfig(ModelConfiguration::defaultConfiguration()),
      quotedEmailContent_(std::move(quotedEmailContent)),
      llmService_(std::move(llmService)),
      onSizeChange_(std::move(onSizeChange)) {
  // Whoever empties the draft (a new request, the user's editing) unfolds the
  // style controls again.
  draftObserver_ = currentDraft.onChange([this](const std::string& draft) {
    if (draft == observedDraft_) return;
    observedDraft_ = draft;
    expandControlsIfNoDraft();
  });
}

DraftStyle MailPopoverModel::style() const { return {scenario.get(), draftLengthValue.get(), emotionLevel.get()}; }

// --- Modes ---------------------------------------------------------------------

void MailPopoverModel::setMode(EditorMode mode) {
  if (currentMode.get() == mode) return;
  currentMode = mode;
  clearQuestionState();
}

void MailPopoverModel::handleModeSelection(EditorMode newMode) {
  EditorMode previousMode = currentMode.get();
  setMode(newMode);
  if (newMode == previousMode) return resetAIState(newMode);
  if (currentDraft->empty()) return resetAIState(newMode);
  pendingModeChange = newMode;
  showTabChangeAlert = true;
  // The picker shows the previous mode again while the alert is up.
  modeToReselect_ = previousMode;
  platform::DispatchQueue::main().async([weak = weak_from_this()] {
    if (auto self = weak.lock()) self->reselectMode();
  });
}

void MailPopoverModel::reselectMode() {
  if (auto mode = std::exchange(modeToReselect_, std::nullopt)) setMode(*mode);
}

void MailPopoverModel::confirmModeChange() {
  auto mode = pendingModeChange.get();
  if (!mode) return;
  // Answered before the queued re-selection ran: that must not undo the
  // switch.
  modeToReselect_.reset();
  discardDraft();
  error = nullptr;
  setMode(*mode);
  resetAIState(*mode);
  pendingModeChange = std::nullopt;
}

void MailPopoverModel::discardDraft() {
  // Requests still running were for the draft that goes now.
  ++draftGeneration_;
  isLoading = false;
  currentDraft = std::string();
  hasGeneratedDraft = false;
}

void MailPopoverModel::cancelModeChange() {
  pendingModeChange = std::nullopt;
  reselectMode();  // at once, if the queued re-selection has not run yet
}

void MailPopoverModel::resetAIState(EditorMode mode) {
  clearQuestionState();
  print("Resetting AI state for mode: " + std::string(rawValue(mode)));
}

void MailPopoverModel::clearQuestionState() {
  ++questionGeneration_;  // a question request still running answers for nothing
  aiQuestions = std::vector<std::string>();
  userAnswers = std::vector<std::string>();
  isLoadingQuestions = false;
  hasGeneratedQuestions = false;
  questionGenerationError = nullptr;
}

void MailPopoverModel::expandControlsIfNoDraft() {
  if (currentDraft->empty()) isControlsSectionExpanded = true;
}

void MailPopoverModel::setAnswer(std::size_t index, std::string answer) {
  if (index >= userAnswers->size()) return;
  auto answers = userAnswers.get();
  answers[index] = std::move(answer);
  userAnswers = std::move(answers);
}

// --- Requests ------------------------------------------------------------------

LLMCompletion MailPopoverModel::deliverOnMain(ResultHandler handler) {
  return [weak = weak_from_this(), handler](LLMResult result) {
    platform::DispatchQueue::main().async([weak, handler, result = std::move(result)]() mutable {
      if (auto self = weak.lock()) handler(*self, std::move(result));
    });
  };
}

void MailPopoverModel::send(const std::string& prompt, Generation MailPopoverModel::*generation, ResultHandler handler) {
  auto applyIfCurrent = [generation, started = this->*generation, handler](MailPopoverModel& self, LLMResult result) {
    if (self.*generation == started) handler(self, std::move(result));
  };
  llmService_->generateContent(prompt, std::nullopt, deliverOnMain(std::move(applyIfCurrent)));
}

void MailPopoverModel::generateReply() {
  if (isLoading) return;
  recordGenerateReplyCall();
  std::string prompt = prompts::write(systemPrompt(), quotedEmailContent_, userPrompt.get(), style());
  printPrompt("Generated prompt: ", prompt);
  startDrafting();
  print("🚀 ComposeSessionViewController: About to call viewController.llmService.generateContent");
  print("🚀 ComposeSessionViewController: LLM Service instance: " + llmService_->description());
  send(prompt, &MailPopoverModel::draftGeneration_, &MailPopoverModel::handleDraftResult);
}

void MailPopoverModel::startDrafting() {
  isLoading = true;
  error = nullptr;
  currentDraft = std::string();
  hasGeneratedDraft = false;
}

bool MailPopoverModel::showDraft(LLMResult result, const std::string& failureLabel) {
  if (!result) {
    error = result.error();
    print(failureLabel + result.error()->localizedDescription());
    return false;
  }
  currentDraft = std::move(*result);
  hasGeneratedDraft = true;
  return true;
}

void MailPopoverModel::handleDraftResult(LLMResult result) {
  if (showDraft(std::move(result), "Error generating content: ") && !currentDraft->empty()) copyAndFlashConfirmation();
  isLoading = false;
  isControlsSectionExpanded = false;
}

void MailPopoverModel::startQuestionAnalysis() {
  if (isLoadingQuestions) return;
  aiQuestions = std::vector<std::string>();
  userAnswers = std::vector<std::string>();
  questionGenerationError = nullptr;
  hasGeneratedQuestions = false;
  if (hasGeneratedDraft) {
    discardDraft();  // a refinement of it may still run
  } else {
    currentDraft = std::string();  // a reply still being drafted is shown when it comes
  }
  error = nullptr;
  analyzeEmailForQuestions();
  print("AI state reset and generating questions.");
}

void MailPopoverModel::analyzeEmailForQuestions() {
  std::string prompt = prompts::questions(systemPrompt(), quotedEmailContent_);
  printPrompt("Question generation prompt: ", prompt);
  isLoadingQuestions = true;
  questionGenerationError = nullptr;
  aiQuestions = std::vector<std::string>();
  userAnswers = std::vector<std::string>();
  hasGeneratedQuestions = false;
  ++questionGeneration_;  // only the latest analysis is answered
  send(prompt, &MailPopoverModel::questionGeneration_, &MailPopoverModel::handleQuestionsResult);
}

void MailPopoverModel::handleQuestionsResult(LLMResult result) {
  if (!result) {
    questionGenerationError = result.error();
    print("Error generating questions: " + result.error()->localizedDescription());
  } else {
    auto questions = parseQuestions(*result);
    userAnswers = std::vector<std::string>(questions.size());
    hasGeneratedQuestions = !questions.empty();
    print(questions.empty() ? std::string("No questions generated or empty response.")
                            : "Generated questions: " + platform::text::quotedListDescription(questions));
    aiQuestions = std::move(questions);
  }
  isLoadingQuestions = false;
}

void MailPopoverModel::generateReplyFromAnswers() {
  if (isLoading) return;
  if (aiQuestions->empty() || userAnswers->size() != aiQuestions->size()) {
    error = platform::makeError("AppError", 0, "Mismatch between questions and answers or no questions available.");
    return;
  }
  std::string prompt =
      prompts::replyFromAnswers(systemPrompt(), quotedEmailContent_, aiQuestions.get(), userAnswers.get(), style());
  printPrompt("AI Agent - Reply generation prompt: ", prompt);
  startDrafting();
  send(prompt, &MailPopoverModel::draftGeneration_, &MailPopoverModel::handleAnswersDraftResult);
}

void MailPopoverModel::handleAnswersDraftResult(LLMResult result) {
  if (showDraft(std::move(result), "AI Agent - Error generating reply: ")) {
    isQuestionsSectionExpanded = false;
    if (!currentDraft->empty()) copyAndFlashConfirmation();
  }
  isLoading = false;
}

void MailPopoverModel::refineDraft() {
  if (isLoading || currentDraft->empty()) return;
  std::string instruction = platform::text::trimWhitespaceAndNewlines(refinementPrompt.get());
  if (instruction.empty()) return;
  std::string prompt = prompts::refinement(systemPrompt(), currentDraft.get(), instruction, style());
  printPrompt("Refinement prompt: ", prompt);
  isLoading = true;
  error = nullptr;
  send(prompt, &MailPopoverModel::draftGeneration_, &MailPopoverModel::handleRefinementResult);
}

void MailPopoverModel::handleRefinementResult(LLMResult result) {
  if (!result) {
    error = result.error();
    print("Error refining content: " + result.error()->localizedDescription());
  } else {
    bool refined = !result->empty();
    if (refined) currentDraft = std::move(*result);
    hasGeneratedDraft = true;
    refinementPrompt = std::string();
    if (refined) copyAndFlashConfirmation();
  }
  isLoading = false;
}

// --- Copy --------------------------------------------------------------------------

void MailPopoverModel::copyDraftToPasteboard() {
  auto& pasteboard = platform::Pasteboard::general();
  pasteboard.clearContents();
  pasteboard.setString(currentDraft.get());
  print("Copied to pasteboard: " + platform::text::prefixCharacters(currentDraft.get(), 50) + "...");
}

void MailPopoverModel::copyAndFlashConfirmation() {
  copyDraftToPasteboard();
  showCopiedMessage = true;
  platform::DispatchQueue::main().asyncAfter(kCopiedMessageDuration, [weak = weak_from_this()] {
    if (auto self = weak.lock()) self->hideCopiedMessage();
  });
}

void MailPopoverModel::hideCopiedMessage() { showCopiedMessage = false; }

// --- Size ------------------------------------------------------------------------------

void MailPopoverModel::appeared() {
  if (onSizeChange_) onSizeChange_({currentWidth.get(), currentHeight.get()});
}

void MailPopoverModel::resizeDragChanged(double dx, double dy) {
  if (!dragStartSize_) dragStartSize_ = Size{currentWidth.get(), currentHeight.get()};
  currentWidth = clamped(dragStartSize_->width + dx, minPopoverWidth, maxPopoverWidth);
  currentHeight = clamped(dragStartSize_->height + dy, minPopoverHeight, maxPopoverHeight);
}

void MailPopoverModel::resizeDragEnded() {
  if (!dragStartSize_) return;  // a drag too short to start resizing
  dragStartSize_.reset();
  if (onSizeChange_) onSizeChange_({currentWidth.get(), currentHeight.get()});
}

}  // namespace quorbel
