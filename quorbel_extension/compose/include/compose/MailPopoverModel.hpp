#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compose/DraftStyle.hpp"
#include "compose/EditorMode.hpp"
#include "compose/LLMService.hpp"
#include "compose/ModelConfiguration.hpp"
#include "foundation/Error.hpp"
#include "observable/Published.hpp"
#include "shared_settings/LLMResult.hpp"

namespace quorbel {

// The whole working state of the assistant's popover and the operations its
// controls run: mode switching, the Write, AI Agent and refinement requests,
// copying and resizing. Views bind to the published fields and call the
// operations; the headless host drives the same object.
//
// Threads: everything runs on the main thread. Results of requests are
// applied by a work item on the main queue, after the action that started the
// request has returned, and only while the model is still alive: a popover
// closed before its answer arrives drops the answer.
//
// One draft request (Write, AI Agent reply or refinement) runs at a time, and
// one question request: an action pressed again while its request runs does
// nothing, so an older answer can never replace a newer one. Answers are
// dropped once what they were asked for is gone: a draft request's when
// "Leave Tab" or a new analysis discards the shown draft, a question
// request's when the question state is reset.
class MailPopoverModel : public std::enable_shared_from_this<MailPopoverModel> {
 public:
  struct Size {
    double width = 0;
    double height = 0;
  };
  using SizeChange = std::function<void(Size)>;

  static constexpr double minPopoverWidth = 350;
  static constexpr double maxPopoverWidth = 800;
  static constexpr double minPopoverHeight = 300;
  static constexpr double maxPopoverHeight = 768;

  // `quotedEmailContent` is already plain text; prompts use it as it is.
  static std::shared_ptr<MailPopoverModel> make(Size size, std::string quotedEmailContent,
                                                std::shared_ptr<LLMService> llmService, SizeChange onSizeChange);

  const std::string& quotedEmailContent() const { return quotedEmailContent_; }

  platform::Published<double> currentWidth;
  platform::Published<double> currentHeight;
  platform::Published<EditorMode> currentMode{EditorMode::write};
  platform::Published<std::string> userPrompt;
  platform::Published<std::string> scenario{"professional"};
  platform::Published<int> draftLengthValue{1};
  platform::Published<int> emotionLevel{2};
  platform::Published<bool> isLoading{false};
  platform::Published<platform::ErrorPtr> error;
  platform::Published<std::string> currentDraft;
  platform::Published<bool> hasGeneratedDraft{false};
  platform::Published<std::string> refinementPrompt;
  platform::Published<bool> showCopiedMessage{false};
  platform::Published<bool> isControlsSectionExpanded{true};
  platform::Published<bool> isQuestionsSectionExpanded{true};
  platform::Published<std::vector<std::string>> aiQuestions;
  platform::Published<std::vector<std::string>> userAnswers;
  platform::Published<bool> isLoadingQuestions{false};
  platform::Published<platform::ErrorPtr> questionGenerationError;
  platform::Published<bool> hasGeneratedQuestions{false};
  platform::Published<ModelConfiguration> selectedModelConfig;
  platform::Published<bool> showTabChangeAlert{false};
  platform::Published<std::optional<EditorMode>> pendingModeChange;

  DraftStyle style() const;

  // --- Modes -------------------------------------------------------------
  // What the mode picker does when the user picks a mode: switches at once
  // while there is no draft, otherwise keeps the previous mode and asks
  // through the "Unsaved Changes" alert.
  void handleModeSelection(EditorMode newMode);
  void confirmModeChange();  // "Leave Tab"
  void cancelModeChange();
  void resetAIState(EditorMode mode);
  void clearQuestionState();
  void expandControlsIfNoDraft();
  // One answer field edited.
  void setAnswer(std::size_t index, std::string answer);

  // --- Requests ------------------------------------------------------------
  void generateReply();  // Write
  void startQuestionAnalysis();
  void analyzeEmailForQuestions();
  void generateReplyFromAnswers();
  void refineDraft();

  void handleDraftResult(LLMResult result);
  void handleQuestionsResult(LLMResult result);
  void handleAnswersDraftResult(LLMResult result);
  void handleRefinementResult(LLMResult result);

  // --- Copy --------------------------------------------------------------------
  void copyDraftToPasteboard();
  void copyAndFlashConfirmation();
  void hideCopiedMessage();

  // --- Size ----------------------------------------------------------------------
  // The popover was shown: reports its size once.
  void appeared();
  // A resize drag moved by (dx, dy) since it began; the size follows within
  // the bounds.
  void resizeDragChanged(double dx, double dy);
  // The drag ended: reports the new size.
  void resizeDragEnded();

 private:
  using ResultHandler = std::function<void(MailPopoverModel&, LLMResult)>;
  using Generation = std::uint64_t;
  MailPopoverModel(Size size, std::string quotedEmailContent, std::shared_ptr<LLMService> llmService,
                   SizeChange onSizeChange);
  void setMode(EditorMode mode);
  // Puts back the mode shown before a pick that raised the alert, unless
  // that has happened or the alert was answered with "Leave Tab".
  void reselectMode();
  // The shown draft goes ("Leave Tab", a new analysis), and with it the
  // answers of requests still running for it.
  void discardDraft();
  // A Write or AI Agent reply request begins: the old draft and error go.
  void startDrafting();
  // Stores a reply's answer as the draft, or its failure (printed after the
  // label); true for an answer.
  bool showDraft(LLMResult result, const std::string& failureLabel);
  // Sends a prompt whose answer counts only while `generation` still holds
  // the value it had at the start.
  void send(const std::string& prompt, Generation MailPopoverModel::*generation, ResultHandler handler);
  // The completion handed to the service: applies the result on the main
  // queue, asynchronously, if the popover still exists.
  LLMCompletion deliverOnMain(ResultHandler handler);

  std::string quotedEmailContent_;
  std::shared_ptr<LLMService> llmService_;
  SizeChange onSizeChange_;
  std::optional<Size> dragStartSize_;
  std::optional<EditorMode> modeToReselect_;
  // Move on when a draft is discarded and when the question state is reset.
  Generation draftGeneration_ = 0;
  Generation questionGeneration_ = 0;
  std::string observedDraft_;
  platform::Cancellable draftObserver_;
};

}  // namespace quorbel
