#include "compose/ScriptedSession.hpp"

#include <algorithm>
#include <chrono>
#include <fstream>

#include "foundation/DiagnosticText.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Text.hpp"

namespace quorbel {

namespace {

// Requests end with an answer or the provider's own time-out.
void runUntil(const std::function<bool()>& done) { platform::RunLoop::runUntil(done, std::chrono::hours(24)); }

// Error texts may quote a server or the model.
int fail(std::ostream& err, const std::string& message) {
  err << platform::diagnosticText(message) << "\n";
  return 1;
}

void write(std::ostream& out, const std::string& text, DraftOutput draftOutput) {
  out << (draftOutput == DraftOutput::terminal ? platform::text::escapedForTerminal(text) : text) << "\n";
}

int failIfError(MailPopoverModel& popover, std::ostream& err) {
  if (auto error = popover.error.get()) return fail(err, error->localizedDescription());
  return 0;
}

// One answer a line, in the order of the questions; a file of fewer lines
// leaves the questions after them without an answer, as empty fields would,
// and says which.
std::vector<std::string> readAnswers(const std::filesystem::path& file, const std::vector<std::string>& questions,
                                     std::ostream& err) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> answers;
  std::string line;
  while (answers.size() < questions.size() && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    answers.push_back(line);
  }
  for (std::size_t i = answers.size(); i < questions.size(); ++i)
    err << platform::diagnosticText(file.string() + " has no answer for question " + std::to_string(i + 1) + ": " +
                                    questions[i])
        << "\n";
  answers.resize(questions.size());
  return answers;
}

int runAgent(MailPopoverModel& popover, const ScriptedSessionOptions& options, std::ostream& out, std::ostream& err,
             DraftOutput draftOutput) {
  popover.startQuestionAnalysis();
  runUntil([&] { return !popover.isLoadingQuestions.get(); });
  if (auto error = popover.questionGenerationError.get()) return fail(err, error->localizedDescription());
  if (!options.answersFile) {
    for (const auto& question : popover.aiQuestions.get()) write(out, question, draftOutput);
    return 0;
  }
  if (!std::filesystem::exists(*options.answersFile))
    return fail(err, "Cannot read the answers file " + options.answersFile->string());
  // Without questions the popover offers no reply button, only a new analysis.
  if (popover.aiQuestions->empty()) return fail(err, "No questions generated or empty response.");
  auto answers = readAnswers(*options.answersFile, popover.aiQuestions.get(), err);
  // The reply button stays disabled until some answer holds a character.
  if (std::all_of(answers.begin(), answers.end(), [](const auto& answer) { return answer.empty(); }))
    return fail(err, "No answer given: every answer is empty.");
  for (std::size_t i = 0; i < answers.size(); ++i) popover.setAnswer(i, answers[i]);
  popover.generateReplyFromAnswers();
  runUntil([&] { return !popover.isLoading.get(); });
  return failIfError(popover, err);
}

}  // namespace

int runScriptedSession(MailPopoverModel& popover, const ScriptedSessionOptions& options, std::ostream& out,
                       std::ostream& err, DraftOutput draftOutput) {
  if (options.scenario) popover.scenario = *options.scenario;
  if (options.draftLengthValue) popover.draftLengthValue = *options.draftLengthValue;
  if (options.emotionLevel) popover.emotionLevel = *options.emotionLevel;
  popover.handleModeSelection(options.mode);

  if (options.mode == EditorMode::aiAgent) {
    if (int status = runAgent(popover, options, out, err, draftOutput); status != 0) return status;
    if (!options.answersFile) return 0;
  } else {
    popover.userPrompt = options.instruction;
    popover.generateReply();
    runUntil([&] { return !popover.isLoading.get(); });
    if (int status = failIfError(popover, err); status != 0) return status;
  }

  if (options.refinement) {
    // The refine button is disabled while the draft is empty.
    if (popover.currentDraft->empty()) return fail(err, "Nothing to refine: the provider answered with an empty draft.");
    popover.refinementPrompt = *options.refinement;
    popover.refineDraft();
    runUntil([&] { return !popover.isLoading.get(); });
    if (int status = failIfError(popover, err); status != 0) return status;
  }
  write(out, popover.currentDraft.get(), draftOutput);
  return 0;
}

int sendDraft(mailkit::ReplySession& session, const std::string& draft, const std::filesystem::path& outFile,
              std::ostream& err) {
  std::optional<platform::ErrorPtr> outcome;
  session.send(draft + mailkit::quotedOriginal(session.original()), outFile,
               [&](platform::ErrorPtr error) { outcome = std::move(error); });
  runUntil([&] { return outcome.has_value(); });
  if (*outcome) return fail(err, (*outcome)->localizedDescription());
  return 0;
}

}  // namespace quorbel
