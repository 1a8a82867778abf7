#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "CompositionDoubles.hpp"
#include "GuiTest.hpp"
#include "compose/ComposeSessionViewController.hpp"
#include "compose_views/DraftArea.hpp"
#include "compose_views/DraftStyleControlsView.hpp"
#include "compose_views/MailPopoverView.hpp"
#include "compose_views/ModePanels.hpp"
#include "compose_views/ResizeHandleView.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Pasteboard.hpp"
#include "foundation/UserDefaults.hpp"
#include "qtbridge/QtMainQueue.hpp"
#include "test_support/TestEnvironment.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/FocusRing.hpp"
#include "ui/StepSlider.hpp"

namespace {

using compose_test::RecordingLLMService;
using quorbel::EditorMode;
using quorbel::views::MailPopoverView;

// A popover as Mail shows it: made by its view controller, shown in a window
// of its own, answering through a service the test controls.
class MailPopoverViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::qtbridge::installMainQueueDriver();
    platform::qtbridge::installClipboardPasteboard();
  }

  void SetUp() override {
    test_support::resetDefaults();
    open();
  }

  void open() {
    view.reset();
    controller = std::make_shared<quorbel::ComposeSessionViewController>(service);
    controller->quotedEmailContent = "Can you join on Friday?";
    controller->loadView();
    view = std::make_unique<MailPopoverView>(controller->popover());
    gui_test::showAndWait(*view);
  }

  quorbel::MailPopoverModel& popover() { return *controller->popover(); }

  // The last request answered, and the answer applied by the event loop.
  void answer(quorbel::LLMResult result) {
    service->answer(service->requests.size() - 1, std::move(result));
    ASSERT_TRUE(gui_test::waitUntil([&] { return !popover().isLoading.get() && !popover().isLoadingQuestions.get(); }));
    // Qt lays out what the answer showed or hid in posted events, which a
    // busy machine may not have delivered yet: deliver them now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }

  void clickSegment(EditorMode mode) {
    auto* picker = view->modePicker();
    QTest::mouseClick(picker, Qt::LeftButton, {}, picker->segmentRect(static_cast<int>(mode)).center());
  }

  void draftInWriteMode(const std::string& text) {
    QTest::mouseClick(view->writePanel()->draftButton(), Qt::LeftButton);
    answer(text);
  }

  void dragGrip(int dx, int dy) { gui_test::drag(*view->resizeHandle(), QPoint(dx, dy)); }

  std::shared_ptr<RecordingLLMService> service = std::make_shared<RecordingLLMService>();
  std::shared_ptr<quorbel::ComposeSessionViewController> controller;
  std::unique_ptr<MailPopoverView> view;
};

TEST_F(MailPopoverViewTest, OpensInWriteModeWithTheDefaultStyle) {
  EXPECT_EQ(view->modePicker()->options(), (QStringList{"Write", "AI Agent", "Voice Agent"}));
  EXPECT_EQ(view->modePicker()->currentIndex(), 0);
  EXPECT_TRUE(view->writePanel()->isVisible());
  EXPECT_FALSE(view->agentPanel()->isVisible());
  EXPECT_EQ(view->size(), QSize(450, 550));
  auto* style = view->writePanel()->styleControls();
  EXPECT_EQ(style->scenarioPicker()->currentText(), "Professional");
  EXPECT_EQ(style->lengthSlider()->valueLabel()->text(), "Medium");
  EXPECT_EQ(style->emotionSlider()->valueLabel()->text(), "Neutral");
  style->emotionSlider()->slider()->setValue(3);
  EXPECT_EQ(style->emotionSlider()->valueLabel()->text(), "S.Angry");
  EXPECT_EQ(popover().emotionLevel.get(), 3);
  EXPECT_FALSE(view->draftArea()->draftSection()->isVisible());
}

TEST_F(MailPopoverViewTest, ModeSwitchWithADraftAsksAndLeaveTabSwitches) {
  draftInWriteMode("Dear Dana");
  clickSegment(EditorMode::aiAgent);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->modeChangeAlert() && view->modeChangeAlert()->isVisible(); }));
  EXPECT_TRUE(gui_test::waitUntil([&] { return view->modePicker()->currentIndex() == 0; }));  // previous mode shown
  EXPECT_EQ(view->modeChangeAlert()->windowTitle(), "Unsaved Changes");
  QTest::mouseClick(gui_test::findByText(*view->modeChangeAlert(), "Leave Tab"), Qt::LeftButton);
  EXPECT_EQ(popover().currentMode.get(), EditorMode::aiAgent);
  EXPECT_EQ(view->modePicker()->currentIndex(), 1);
  EXPECT_TRUE(view->agentPanel()->isVisible());
  EXPECT_FALSE(view->draftArea()->draftSection()->isVisible());
  EXPECT_FALSE(popover().showTabChangeAlert.get());
}

TEST_F(MailPopoverViewTest, CancelKeepsTheDraft) {
  draftInWriteMode("Dear Dana");
  clickSegment(EditorMode::voiceAgent);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->modeChangeAlert() && view->modeChangeAlert()->isVisible(); }));
  QTest::mouseClick(gui_test::findByText(*view->modeChangeAlert(), "Cancel"), Qt::LeftButton);
  EXPECT_TRUE(gui_test::waitUntil([&] { return view->modePicker()->currentIndex() == 0; }));
  EXPECT_EQ(popover().currentMode.get(), EditorMode::write);
  EXPECT_EQ(view->draftArea()->draftEditor()->text(), "Dear Dana");
}

TEST_F(MailPopoverViewTest, ClosingTheAlertWithoutAButtonCancels) {
  draftInWriteMode("Dear Dana");
  clickSegment(EditorMode::aiAgent);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->modeChangeAlert() && view->modeChangeAlert()->isVisible(); }));
  view->modeChangeAlert()->close();  // the window's close button
  EXPECT_FALSE(popover().showTabChangeAlert.get());
  EXPECT_FALSE(popover().pendingModeChange->has_value());
  EXPECT_TRUE(gui_test::waitUntil([&] { return view->modePicker()->currentIndex() == 0; }));
  EXPECT_EQ(popover().currentDraft.get(), "Dear Dana");
}

TEST_F(MailPopoverViewTest, ControlsFollowTheWriteRequest) {
  auto* write = view->writePanel();
  auto* area = view->draftArea();
  QTest::keyClicks(write->instructionField()->lineEdit(), "say yes");
  QTest::keyClick(write->instructionField()->lineEdit(), Qt::Key_Return);
  ASSERT_EQ(service->requests.size(), 1u);
  EXPECT_TRUE(area->progressLine()->isVisible());
  EXPECT_EQ(area->progressLine()->label(), "Generating Reply...");
  EXPECT_FALSE(write->draftButton()->isEnabled());
  QTest::keyClick(write->instructionField()->lineEdit(), Qt::Key_Return);  // a second Return starts nothing
  EXPECT_EQ(service->requests.size(), 1u);

  answer(std::string("Yes, I will come."));
  EXPECT_FALSE(area->progressLine()->isVisible());
  EXPECT_TRUE(write->draftButton()->isEnabled());
  EXPECT_FALSE(write->group()->isExpanded());
  EXPECT_TRUE(area->draftSection()->isVisible());
  EXPECT_EQ(area->draftEditor()->text(), "Yes, I will come.");
  EXPECT_FALSE(area->refineButton()->isEnabled());
  QTest::keyClicks(area->refinementField()->lineEdit(), "   ");
  EXPECT_FALSE(area->refineButton()->isEnabled());
  QTest::keyClicks(area->refinementField()->lineEdit(), "shorter");
  EXPECT_TRUE(area->refineButton()->isEnabled());
  QTest::keyClick(area->refinementField()->lineEdit(), Qt::Key_Return);  // refines, as Return above drafts
  ASSERT_EQ(service->requests.size(), 2u);
  answer(std::string("Yes."));

  area->draftEditor()->setText({});  // the user deletes the draft
  EXPECT_FALSE(area->copyButton()->isEnabled());
  EXPECT_TRUE(write->group()->isExpanded());
}

// Tab goes round the popover's controls, each showing its ring, as a
// keyboard user meets them with a draft shown: none is skipped, none is a
// stop that shows nothing (the scrolling area), and Tab moves on from the
// draft's editor rather than typing a tab into the draft.
TEST_F(MailPopoverViewTest, TabGoesRoundTheControlsWithADraft) {
  draftInWriteMode("Dear Dana");
  ASSERT_TRUE(gui_test::waitUntilAnimationsEnd(*view));  // "Customize Draft" folds
  auto* area = view->draftArea();
  view->modePicker()->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->modePicker()->hasFocus(); }));
  std::vector<QWidget*> stops;
  for (int i = 0; i < 8 && (stops.empty() || stops.back() != view->modePicker()); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    stops.push_back(QApplication::focusWidget());
    EXPECT_TRUE(ui::showsFocusRing(*stops.back())) << stops.back()->metaObject()->className();
  }
  // The Refine button waits for an instruction.
  EXPECT_EQ(stops, (std::vector<QWidget*>{view->writePanel()->group()->header(), area->draftEditor()->plainTextEdit(),
                                          area->refinementField()->lineEdit(), area->copyButton(), view->modePicker()}));
  EXPECT_EQ(popover().currentDraft.get(), "Dear Dana");
}

TEST_F(MailPopoverViewTest, DraftIsCopiedAsTheProviderSentIt) {
  // A no-break space, CR LF line ends, a line separator, Qt's frame marks
  // U+FDD0 and U+FDD1, and a final CR: an editor holds none of these as they
  // are.
  const std::string sent =
      "Dear\xC2\xA0" "Dana,\r\nYes.\xE2\x80\xA8See you\xEF\xB7\x90soon\xEF\xB7\x91\r\nSam\r";
  draftInWriteMode(sent);
  EXPECT_EQ(popover().currentDraft.get(), sent);
  EXPECT_EQ(platform::Pasteboard::general().string(), sent);
  EXPECT_TRUE(view->draftArea()->draftEditor()->text().startsWith("Dear"));

  // The user's own edit changes what was typed and nothing else.
  auto* edit = view->draftArea()->draftEditor()->plainTextEdit();
  edit->moveCursor(QTextCursor::End);
  QTest::keyClicks(edit, "!");
  EXPECT_EQ(popover().currentDraft.get(), sent + "!");
  QTest::mouseClick(view->draftArea()->copyButton(), Qt::LeftButton);
  EXPECT_EQ(platform::Pasteboard::general().string(), sent + "!");
}

TEST_F(MailPopoverViewTest, DraftEditorIsOutlinedInHalfTransparentGrey) {
  draftInWriteMode("Dear Dana");
  auto* editor = view->draftArea()->draftEditor();
  EXPECT_GE(editor->height(), 150);
  QImage image = gui_test::render(*editor, editor->size());
  QColor outline = gui_test::colorOverWhite(image, QPoint(0, image.height() / 2));
  // Grey (142, 142, 147) at half opacity over the editor's white.
  EXPECT_NEAR(outline.red(), 199, 3);
  EXPECT_NEAR(outline.blue(), 201, 3);
}

TEST_F(MailPopoverViewTest, FailureShowsTheErrorLine) {
  QTest::mouseClick(view->writePanel()->draftButton(), Qt::LeftButton);
  answer(std::unexpected(platform::makeError("Test", 1, "HTTP error: 503")));
  EXPECT_TRUE(view->draftArea()->errorLine()->isVisible());
  EXPECT_EQ(view->draftArea()->errorLine()->text(), "Error: HTTP error: 503");
  EXPECT_FALSE(view->draftArea()->draftSection()->isVisible());
}

TEST_F(MailPopoverViewTest, AgentQuestionsAndTheReplyButton) {
  clickSegment(EditorMode::aiAgent);
  auto* agent = view->agentPanel();
  ASSERT_TRUE(agent->isVisible());
  QTest::mouseClick(agent->analyzeButton(), Qt::LeftButton);
  EXPECT_FALSE(agent->analyzeButton()->isVisible());
  EXPECT_TRUE(agent->analyzingIndicator()->isVisible());
  EXPECT_FALSE(view->draftArea()->progressLine()->isVisible());  // the question request is not a draft request
  answer(std::string("Can you attend?\nAny diet?"));
  EXPECT_FALSE(agent->analyzeButton()->isVisible());
  ASSERT_TRUE(agent->questionsGroup()->isVisible());
  EXPECT_EQ(agent->questionsGroup()->y(), 0);  // the Analyze button's padding left with it
  ASSERT_EQ(agent->answerFields().size(), 2);
  EXPECT_FALSE(agent->draftButton()->isEnabled());
  QTest::keyClicks(agent->answerFields()[1]->lineEdit(), " ");  // a space counts
  EXPECT_TRUE(agent->draftButton()->isEnabled());
  EXPECT_EQ(popover().userAnswers.get(), (std::vector<std::string>{"", " "}));
  QTest::mouseClick(agent->draftButton(), Qt::LeftButton);
  answer(std::string("Happy to come."));
  EXPECT_FALSE(agent->questionsGroup()->isExpanded());
  EXPECT_EQ(view->draftArea()->draftEditor()->text(), "Happy to come.");
}

TEST_F(MailPopoverViewTest, FailedAnalysisShowsTheAnalyzeButtonAgain) {
  clickSegment(EditorMode::aiAgent);
  QTest::mouseClick(view->agentPanel()->analyzeButton(), Qt::LeftButton);
  answer(std::unexpected(platform::makeError("Test", 1, "offline")));
  EXPECT_TRUE(view->agentPanel()->analyzeButton()->isVisible());
  EXPECT_EQ(view->agentPanel()->errorLine()->text(), "Error generating questions: offline");
}

TEST_F(MailPopoverViewTest, CopyConfirmsForThreeSeconds) {
  popover().currentDraft = std::string("Dear Dana");  // typed by hand
  popover().hasGeneratedDraft = true;
  auto* area = view->draftArea();
  QApplication::clipboard()->setText("something else");
  EXPECT_FALSE(area->copiedMessage()->isVisible());
  QElapsedTimer elapsed;
  elapsed.start();
  QTest::mouseClick(area->copyButton(), Qt::LeftButton);
  EXPECT_EQ(QApplication::clipboard()->text(), "Dear Dana");
  EXPECT_TRUE(area->copiedMessage()->isVisible());
  EXPECT_EQ(area->copiedMessage()->text(), "Copied to Clipboard!");
  ASSERT_TRUE(gui_test::waitUntil([&] { return !area->copiedMessage()->isVisible(); }));
  EXPECT_GE(elapsed.elapsed(), 2900);
}

TEST_F(MailPopoverViewTest, ResizeStaysWithinBoundsAndIsStoredAndReused) {
  dragGrip(5, 5);  // shorter than 10 points: nothing happens
  EXPECT_EQ(view->size(), QSize(450, 550));
  dragGrip(170, -70);
  EXPECT_EQ(view->size(), QSize(620, 480));
  auto& defaults = platform::UserDefaults::standard();
  EXPECT_EQ(defaults.doubleValue("preferredPopoverWidthKey"), 620);
  EXPECT_EQ(defaults.doubleValue("preferredPopoverHeightKey"), 480);
  dragGrip(1000, 1000);
  EXPECT_EQ(view->size(), QSize(800, 768));
  dragGrip(-1000, -1000);
  EXPECT_EQ(view->size(), QSize(350, 300));
  EXPECT_EQ(view->resizeHandle()->geometry().bottomRight(), view->rect().bottomRight());

  open();  // the next popover opens at the stored size
  EXPECT_EQ(view->size(), QSize(350, 300));
}

TEST_F(MailPopoverViewTest, VoiceAgentShowsComingSoon) {
  clickSegment(EditorMode::voiceAgent);
  EXPECT_TRUE(view->voicePanel()->isVisible());
  EXPECT_NE(gui_test::findByText(*view->voicePanel(), "Coming soon!"), nullptr);
}

// Every allowed width shows all of the content: the scroll area scrolls
// only vertically, and no control reaches past its visible width.
class PopoverWidthTest : public MailPopoverViewTest, public ::testing::WithParamInterface<int> {
 protected:
  // The controls that stick out past the visible width, by class and text.
  std::string controlsCutOff() {
    QCoreApplication::processEvents();
    QWidget* viewport = view->scrollArea()->viewport();
    QStringList cut;
    for (auto* widget : view->scrollArea()->widget()->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(view.get()) || widget->width() == 0) continue;
      int right = widget->mapTo(viewport, QPoint(widget->width(), 0)).x();
      if (right > viewport->width())
        cut << QString("%1 \"%2\" ends at %3 of %4")
                   .arg(widget->metaObject()->className(), widget->property("text").toString())
                   .arg(right)
                   .arg(viewport->width());
    }
    return cut.join("; ").toStdString();
  }

  void expectEverythingFits(const QString& phase) {
    EXPECT_FALSE(view->scrollArea()->horizontalScrollBar()->isVisible()) << phase.toStdString();
    EXPECT_EQ(controlsCutOff(), "") << phase.toStdString();
    if (GetParam() == 350 || GetParam() == 800)
      gui_test::renderToPng(*view, QString("popover-%1-%2").arg(GetParam()).arg(phase), view->size());
  }
};

TEST_P(PopoverWidthTest, ContentFitsWithoutHorizontalScrolling) {
  // Folding at once: the layout is final when the state is.
  for (auto* group : view->findChildren<ui::DisclosureGroup*>()) group->setAnimated(false);
  popover().currentWidth = GetParam();
  ASSERT_EQ(view->width(), GetParam());
  expectEverythingFits("write");

  draftInWriteMode("Hi Dana,\n\nYes, I will be there on Friday and I will bring the slides for the roadmap.\n\nSam");
  ASSERT_TRUE(view->draftArea()->copiedMessage()->isVisible());
  expectEverythingFits("draft");

  // A long token (here the endpoint of an error) breaks inside itself
  // instead of widening the column.
  QTest::keyClicks(view->draftArea()->refinementField()->lineEdit(), "shorter");
  popover().refineDraft();
  answer(std::unexpected(platform::makeError(
      "Test", 1, "Invalid API endpoint URL: 'https://averyveryverylongendpointhostname.example.com/v1/chat/completions'.")));
  expectEverythingFits("error");

  popover().handleModeSelection(EditorMode::aiAgent);
  popover().confirmModeChange();
  popover().startQuestionAnalysis();
  answer(std::string("Can you attend on Friday at the new office in the city centre?\nAny dietary requirements?\n"
                     "Have you read https://docs.example.com/d/1aBcDeFgHiJkLmNoPqRsTuVwXyZ0123456789abcdef/edit?"));
  expectEverythingFits("questions");

  popover().startQuestionAnalysis();
  answer(std::unexpected(platform::makeError("Test", 1, "Could not reach averyveryverylongendpointhostname.example.com")));
  expectEverythingFits("question-error");
}

INSTANTIATE_TEST_SUITE_P(Widths, PopoverWidthTest, ::testing::Values(350, 380, 410, 450, 800),
                         [](const auto& info) { return "Width" + std::to_string(info.param); });

// Pictures of the popover in its main phases, under <build>/gui-renders, for
// a person to compare with the intended layout.
TEST_F(MailPopoverViewTest, RendersEachPhase) {
  auto picture = [&](const QString& name) {
    EXPECT_TRUE(gui_test::waitUntilAnimationsEnd(*view));  // disclosure groups fold and unfold
    gui_test::renderToPng(*view, "popover-" + name, view->size());
  };
  picture("write-fresh");

  QTest::keyClicks(view->writePanel()->instructionField()->lineEdit(), "say yes");
  QTest::mouseClick(view->writePanel()->draftButton(), Qt::LeftButton);
  picture("write-drafting");
  answer(std::string("Hi Dana,\n\nYes, I will be there on Friday.\n\nBest,\nSam"));
  picture("write-draft-shown");

  QTest::keyClicks(view->draftArea()->refinementField()->lineEdit(), "shorter");
  QTest::mouseClick(view->draftArea()->refineButton(), Qt::LeftButton);
  answer(std::unexpected(platform::makeError("Test", 1, "HTTP error: 503")));
  picture("write-error");

  open();
  clickSegment(EditorMode::aiAgent);
  picture("agent-fresh");
  QTest::mouseClick(view->agentPanel()->analyzeButton(), Qt::LeftButton);
  picture("agent-analyzing");
  answer(std::string("Can you attend on Friday?\nAny dietary requirements?\nWill you present the roadmap?"));
  QTest::keyClicks(view->agentPanel()->answerFields()[0]->lineEdit(), "yes");
  picture("agent-questions");

  open();
  clickSegment(EditorMode::aiAgent);
  QTest::mouseClick(view->agentPanel()->analyzeButton(), Qt::LeftButton);
  answer(std::unexpected(platform::makeError("Test", 1, "Could not connect to the server.")));
  picture("agent-question-error");

  clickSegment(EditorMode::voiceAgent);
  picture("voice");
}

}  // namespace
