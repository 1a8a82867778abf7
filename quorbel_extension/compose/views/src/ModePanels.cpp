#include "compose_views/ModePanels.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

#include "compose_views/DraftStyleControlsView.hpp"
#include "compose_views/PopoverParts.hpp"
#include "ui/Divider.hpp"
#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace quorbel::views {

namespace {

QLabel* headline(const QString& text, QWidget* parent) {
  return ui::makeText(text, ui::font(ui::TextStyle::headline), ui::color::label(), parent);
}

}  // namespace

WritePanel::WritePanel(MailPopoverModel& popover, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  group_ = new ui::DisclosureGroup("Customize Draft", this);
  group_->setFocusPolicy(Qt::NoFocus);
  bindings_.expanded(group_, popover.isControlsSectionExpanded);
  column->addWidget(group_);
  auto* content = group_->contentLayout();
  content->setSpacing(10);

  instruction_ = new ui::TextField("Your instructions...", ui::FieldStyle::roundedBorder(), group_->content());
  bindings_.text(instruction_, popover.userPrompt);
  connect(instruction_, &ui::TextField::returnPressed, this, [&popover] { popover.generateReply(); });
  content->addWidget(instruction_);
  content->addSpacing(8);
  style_ = new DraftStyleControlsView(popover, group_->content());
  content->addWidget(style_);

  draft_ = makeDraftButton(group_->content());
  connect(draft_, &ui::StyledButton::clicked, this, [&popover] { popover.generateReply(); });
  bindings_.observe<bool>(popover.isLoading, [this](bool loading) { draft_->setEnabled(!loading); });
  auto* row = new QHBoxLayout();
  row->setContentsMargins(0, 5, 0, 0);
  row->addWidget(draft_);
  row->addStretch();
  content->addLayout(row);
}

AIAgentPanel::AIAgentPanel(MailPopoverModel& popover, QWidget* parent) : QWidget(parent), popover_(popover) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);

  // The button's top padding goes with it when questions take its place.
  auto* analyzeRow = new QWidget(this);
  auto* analyzeLayout = new QVBoxLayout(analyzeRow);
  analyzeLayout->setContentsMargins(0, 20, 0, 0);
  analyze_ = new ui::StyledButton("Analyze Email & Get Questions", ui::ButtonStyle::bordered(), analyzeRow);
  connect(analyze_, &ui::StyledButton::clicked, this, [&popover] { popover.startQuestionAnalysis(); });
  analyzeLayout->addWidget(analyze_, 0, Qt::AlignLeft);
  column->addWidget(analyzeRow);
  bindings_.recompute(
      [analyzeRow, &popover] {
        analyzeRow->setVisible(!popover.hasGeneratedQuestions.get() && !popover.isLoadingQuestions.get());
      },
      popover.hasGeneratedQuestions, popover.isLoadingQuestions);

  analyzing_ = new ui::ProgressIndicator("Analyzing Email & Generating Questions...", this);
  column->addWidget(analyzing_);
  bindings_.visible(analyzing_, popover.isLoadingQuestions);

  error_ = makeErrorText(this);
  column->addWidget(error_);
  bindings_.observe<platform::ErrorPtr>(popover.questionGenerationError, [this](const platform::ErrorPtr& error) {
    error_->setVisible(error != nullptr);
    if (error)
      ui::setWrappingText(error_, QString::fromStdString("Error generating questions: " + error->localizedDescription()));
  });

  questions_ = new ui::DisclosureGroup("Answer AI Questions", this);
  questions_->setFocusPolicy(Qt::NoFocus);
  bindings_.expanded(questions_, popover.isQuestionsSectionExpanded);
  column->addWidget(questions_);
  auto* content = questions_->contentLayout();
  content->addWidget(headline("Please answer the following...", questions_->content()));
  questionList_ = new QWidget(questions_->content());
  auto* questionColumn = new QVBoxLayout(questionList_);
  questionColumn->setContentsMargins(0, 0, 0, 0);
  content->addWidget(questionList_);
  content->addSpacing(5);
  content->addWidget(new ui::Divider(questions_->content()));
  content->addSpacing(5);
  content->addWidget(headline("Customize Reply Style:", questions_->content()));
  content->addSpacing(-5);
  content->addWidget(new DraftStyleControlsView(popover, questions_->content()));
  content->addWidget(new ui::Divider(questions_->content()));
  draft_ = makeDraftButton(questions_->content());
  connect(draft_, &ui::StyledButton::clicked, this, [&popover] { popover.generateReplyFromAnswers(); });
  content->addWidget(draft_, 0, Qt::AlignLeft);

  bindings_.observe<std::vector<std::string>>(popover.aiQuestions,
                                              [this](const auto& questions) { rebuildQuestions(questions); });
  bindings_.recompute(
      [this, &popover] {
        questions_->setVisible(popover.hasGeneratedQuestions.get() && !popover.aiQuestions->empty());
      },
      popover.hasGeneratedQuestions, popover.aiQuestions);
  bindings_.recompute(
      [this, &popover] {
        const auto& answers = popover.userAnswers.get();
        bool anyAnswer = std::any_of(answers.begin(), answers.end(), [](const auto& a) { return !a.empty(); });
        draft_->setEnabled(!popover.isLoading.get() && anyAnswer);
      },
      popover.isLoading, popover.userAnswers);
}

void AIAgentPanel::rebuildQuestions(const std::vector<std::string>& questions) {
  qDeleteAll(questionList_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
  for (std::size_t index = 0; index < questions.size(); ++index) {
    auto* entry = new QWidget(questionList_);
    auto* column = new QVBoxLayout(entry);
    column->setContentsMargins(0, 0, 0, 0);
    auto* question = ui::makeText({}, ui::font(ui::TextStyle::body), ui::color::label(), entry);
    question->setWordWrap(true);
    ui::setWrappingText(question, QString::fromStdString(questions[index]));
    column->addWidget(question);
    auto* answer = new ui::TextField("Your answer...", ui::FieldStyle::roundedBorder(), entry);
    if (index < popover_.userAnswers->size()) answer->setText(QString::fromStdString(popover_.userAnswers.get()[index]));
    connect(answer, &ui::TextField::textChanged, this,
            [this, index](const QString& text) { popover_.setAnswer(index, text.toStdString()); });
    column->addWidget(answer);
    questionList_->layout()->addWidget(entry);
  }
}

QList<ui::TextField*> AIAgentPanel::answerFields() const { return questionList_->findChildren<ui::TextField*>(); }

VoiceAgentPanel::VoiceAgentPanel(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(200);
  auto* column = new QVBoxLayout(this);
  column->setAlignment(Qt::AlignCenter);
  auto* title = ui::makeText("🎙️ Voice Agent Mode", ui::font(ui::TextStyle::title), ui::color::label(), this);
  title->setAlignment(Qt::AlignCenter);
  column->addWidget(title);
  column->addSpacing(5);
  auto* soon = ui::makeText("Coming soon!", ui::font(ui::TextStyle::callout), ui::color::secondaryLabel(), this);
  soon->setAlignment(Qt::AlignCenter);
  column->addWidget(soon);
}

}  // namespace quorbel::views
