#include "compose_views/ModePanels.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

#include "compose_views/DraftStyleControlsView.hpp"
#include "compose_views/PopoverStyle.hpp"

namespace quorbel::views {

namespace {

QFrame* divider(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace

WritePanel::WritePanel(MailPopoverModel& popover, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  section_ = new DisclosureSection("Customize Draft", popover.isControlsSectionExpanded, this);
  column->addWidget(section_);
  auto* content = section_->contentLayout();

  instruction_ = new QLineEdit(section_->content());
  instruction_->setPlaceholderText("Your instructions...");
  bindings_.text(instruction_, popover.userPrompt);
  connect(instruction_, &QLineEdit::returnPressed, this, [&popover] { popover.generateReply(); });
  content->addWidget(instruction_);
  content->addSpacing(8);
  content->addWidget(new DraftStyleControlsView(popover, section_->content()));

  draft_ = prominentButton("Draft", "wand.and.stars", section_->content());
  connect(draft_, &QPushButton::clicked, this, [&popover] { popover.generateReply(); });
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

  analyze_ = new QPushButton("Analyze Email & Get Questions", this);
  connect(analyze_, &QPushButton::clicked, this, [&popover] { popover.startQuestionAnalysis(); });
  column->addSpacing(20);
  column->addWidget(analyze_, 0, Qt::AlignLeft);
  bindings_.recompute(
      [this, &popover] { analyze_->setVisible(!popover.hasGeneratedQuestions.get() && !popover.isLoadingQuestions.get()); },
      popover.hasGeneratedQuestions, popover.isLoadingQuestions);

  analyzing_ = progressLine("Analyzing Email & Generating Questions...", this);
  column->addWidget(analyzing_);
  bindings_.visible(analyzing_, popover.isLoadingQuestions);

  error_ = errorLabel(this);
  column->addWidget(error_);
  bindings_.observe<platform::ErrorPtr>(popover.questionGenerationError, [this](const platform::ErrorPtr& error) {
    error_->setVisible(error != nullptr);
    if (error) error_->setText(QString::fromStdString("Error generating questions: " + error->localizedDescription()));
  });

  questions_ = new DisclosureSection("Answer AI Questions", popover.isQuestionsSectionExpanded, this);
  column->addWidget(questions_);
  auto* content = questions_->contentLayout();
  auto* heading = new QLabel("Please answer the following...", questions_->content());
  heading->setFont(textStyle(TextStyle::headline));
  content->addWidget(heading);
  questionList_ = new QWidget(questions_->content());
  new QVBoxLayout(questionList_);
  questionList_->layout()->setContentsMargins(0, 0, 0, 0);
  content->addWidget(questionList_);
  content->addWidget(divider(questions_->content()));
  auto* styleHeading = new QLabel("Customize Reply Style:", questions_->content());
  styleHeading->setFont(textStyle(TextStyle::headline));
  content->addWidget(styleHeading);
  content->addWidget(new DraftStyleControlsView(popover, questions_->content()));
  content->addWidget(divider(questions_->content()));
  draft_ = prominentButton("Draft", "wand.and.stars", questions_->content());
  connect(draft_, &QPushButton::clicked, this, [&popover] { popover.generateReplyFromAnswers(); });
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
    auto* question = new QLabel(QString::fromStdString(questions[index]), entry);
    question->setWordWrap(true);
    column->addWidget(question);
    auto* answer = new QLineEdit(entry);
    answer->setPlaceholderText("Your answer...");
    if (index < popover_.userAnswers->size()) answer->setText(QString::fromStdString(popover_.userAnswers.get()[index]));
    connect(answer, &QLineEdit::textEdited, this,
            [this, index](const QString& text) { popover_.setAnswer(index, text.toStdString()); });
    column->addWidget(answer);
    questionList_->layout()->addWidget(entry);
  }
}

QList<QLineEdit*> AIAgentPanel::answerFields() const { return questionList_->findChildren<QLineEdit*>(); }

VoiceAgentPanel::VoiceAgentPanel(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(200);
  auto* column = new QVBoxLayout(this);
  column->setAlignment(Qt::AlignCenter);
  auto* title = new QLabel("🎙️ Voice Agent Mode", this);
  title->setFont(textStyle(TextStyle::title));
  title->setAlignment(Qt::AlignCenter);
  column->addWidget(title);
  column->addSpacing(5);
  auto* soon = new QLabel("Coming soon!", this);
  soon->setFont(textStyle(TextStyle::callout));
  soon->setForegroundRole(QPalette::PlaceholderText);
  soon->setAlignment(Qt::AlignCenter);
  column->addWidget(soon);
}

}  // namespace quorbel::views
