#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/LLMConfigurationView.hpp"
#include "app_views/ProviderCard.hpp"
#include "app_views/ProviderSettingsFields.hpp"
#include "app_views/StatusRow.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/LabeledSlider.hpp"
#include "ui/Palette.hpp"
#include "ui/PopUpPicker.hpp"
#include "ui/StepSlider.hpp"
#include "ui/FocusRing.hpp"
#include "ui/StyledButton.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/TextField.hpp"

namespace {

using mervo::LLMProvider;
using mervo::views::LLMConfigurationView;
using mervo::views::ProviderCard;

class AIModelsScreenTest : public mervo_gui_test::MervoGuiTest {
 protected:
  void SetUp() override {
    MervoGuiTest::SetUp();
    screen = std::make_unique<LLMConfigurationView>(*llmConfig, *llmService);
    screen->resize(700, 1100);
    gui_test::showAndWait(*screen);
  }
  void TearDown() override {
    screen.reset();
    MervoGuiTest::TearDown();
  }

  void tap(LLMProvider provider) { QTest::mouseClick(screen->providerCard(provider), Qt::LeftButton); }
  mervo::views::ProviderSettingsFields* fields() { return screen->providerFields(); }
  QStringList pickerEntries() {
    QStringList entries;
    for (int i = 0; i < fields()->modelPicker()->count(); ++i) entries << fields()->modelPicker()->itemText(i);
    return entries;
  }
  // Which of "Save" and "Saved" shows: "" for neither.
  QString actionButton() {
    if (screen->saveButton()->isVisible()) return "Save";
    if (screen->savedButton()->isVisible()) return "Saved";
    return "";
  }

  std::unique_ptr<LLMConfigurationView> screen;
};

TEST_F(AIModelsScreenTest, TheFourProviderCardsInOrderWithTheCurrentOneMarked) {
  struct Expected {
    LLMProvider provider;
    const char* title;
    const char* description;
    const char* icon;
  } expected[] = {{LLMProvider::gemini, "Built-in AI", "Free built-in AI service", "sparkles"},
                  {LLMProvider::openai, "OpenAI", "Powerful GPT models from OpenAI", "brain.head.profile"},
                  {LLMProvider::ollama, "Ollama (Local)", "Run models locally on your Mac", "desktopcomputer"},
                  {LLMProvider::custom, "Custom API", "Connect to your own API endpoint", "server.rack"}};
  int previousTop = -1;
  for (const auto& e : expected) {
    SCOPED_TRACE(e.title);
    auto* card = screen->providerCard(e.provider);
    EXPECT_GT(card->y(), previousTop);
    previousTop = card->y();
    EXPECT_NE(gui_test::findByText(*card, e.title), nullptr);
    EXPECT_NE(gui_test::findByText(*card, e.description), nullptr);
    EXPECT_EQ(card->icon()->symbol().name(), e.icon);
    const bool selected = e.provider == LLMProvider::gemini;
    EXPECT_EQ(card->isSelected(), selected);
    EXPECT_EQ(card->checkmark()->isVisible(), selected);
    EXPECT_EQ(card->icon()->symbol().color(), selected ? ui::color::blue() : ui::color::secondaryLabel());
    EXPECT_EQ(card->boxStyle().fill,
              selected ? ui::color::withOpacity(ui::color::blue(), 0.2) : ui::color::secondarySystemFill());
    EXPECT_EQ(card->boxStyle().stroke, selected ? ui::color::blue() : ui::color::clear());
    EXPECT_EQ(card->boxStyle().cornerRadius, 10);
  }
  tap(LLMProvider::ollama);
  EXPECT_TRUE(screen->providerCard(LLMProvider::ollama)->isSelected());
  EXPECT_FALSE(screen->providerCard(LLMProvider::gemini)->isSelected());
  // Drawn: the chosen card's centre-right carries the light blue.
  auto* card = screen->providerCard(LLMProvider::ollama);
  const QImage image = gui_test::render(*card, card->size());
  const QColor tint = gui_test::colorOverWhite(image, QPoint(card->width() / 2, 3));
  EXPECT_NEAR(tint.red(), 204, 3);
  EXPECT_EQ(tint.blue(), 255);
}

TEST_F(AIModelsScreenTest, TheBuiltInServiceHasNoFieldsNoSaveAndItsOwnStatusRow) {
  EXPECT_EQ(*llmConfig->currentProvider, LLMProvider::gemini);
  EXPECT_FALSE(screen->configurationSection()->isVisible());
  EXPECT_EQ(screen->providerFields(), nullptr);
  EXPECT_EQ(actionButton(), "");
  EXPECT_TRUE(screen->testButton()->isVisible());
  EXPECT_TRUE(screen->builtInServiceRow()->isVisible());
  tap(LLMProvider::openai);
  EXPECT_FALSE(screen->builtInServiceRow()->isVisible());
}

struct ProviderFields {
  const char* name;
  LLMProvider provider;
  bool apiKey;
  QStringList models;  // empty: the custom model name field
};

void PrintTo(const ProviderFields& p, std::ostream* os) { *os << p.name; }

class FieldsOfProvider : public AIModelsScreenTest, public ::testing::WithParamInterface<ProviderFields> {};

TEST_P(FieldsOfProvider, ShowTheirBlocks) {
  const auto& p = GetParam();
  tap(p.provider);
  ASSERT_NE(fields(), nullptr);
  EXPECT_TRUE(screen->configurationSection()->isVisible());
  EXPECT_EQ(fields()->apiKeyField() != nullptr, p.apiKey);
  if (p.apiKey) {
    EXPECT_EQ(fields()->apiKeyField()->lineEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(fields()->apiKeyField()->lineEdit()->placeholderText(), "Enter your API key");
  }
  ASSERT_NE(fields()->endpointField(), nullptr);
  EXPECT_EQ(fields()->endpointField()->lineEdit()->placeholderText(), "API endpoint URL");
  if (p.models.isEmpty()) {
    EXPECT_EQ(fields()->modelPicker(), nullptr);
    ASSERT_NE(fields()->customModelField(), nullptr);
    EXPECT_EQ(fields()->customModelField()->lineEdit()->placeholderText(), "Custom model name");
  } else {
    EXPECT_EQ(fields()->customModelField(), nullptr);
    ASSERT_NE(fields()->modelPicker(), nullptr);
    EXPECT_EQ(pickerEntries(), p.models);
    EXPECT_EQ(fields()->modelPicker()->currentText(), p.models.front());
  }
  EXPECT_FALSE(fields()->advancedSettings()->isExpanded());
  for (const char* label : {"Endpoint URL", "Model"}) EXPECT_NE(gui_test::findByText(*fields(), label), nullptr);
  EXPECT_EQ(gui_test::findByText(*fields(), "API Key") != nullptr, p.apiKey);
}

INSTANTIATE_TEST_SUITE_P(
    AIModelsScreen, FieldsOfProvider,
    ::testing::Values(ProviderFields{"OpenAI", LLMProvider::openai, true, {"gpt-4o", "gpt-4o-mini", "gpt-4-turbo", "gpt-3.5-turbo"}},
                      ProviderFields{"Ollama", LLMProvider::ollama, false,
                                     {"llama3.2", "llama3.1", "qwen2.5", "codellama", "mistral"}},
                      ProviderFields{"Custom", LLMProvider::custom, true, {}}),
    [](const ::testing::TestParamInfo<ProviderFields>& info) { return std::string(info.param.name); });

TEST_F(AIModelsScreenTest, EditsGoThroughTheConfigurationAndSaveTurnsToSaved) {
  tap(LLMProvider::openai);
  // Choosing another provider is itself unsaved until Save.
  EXPECT_EQ(actionButton(), "Save");
  QTest::keyClicks(fields()->apiKeyField()->lineEdit(), "sk-abc");
  EXPECT_EQ(*llmConfig->apiKey, "sk-abc");
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  EXPECT_EQ(actionButton(), "Saved");
  EXPECT_FALSE(screen->savedButton()->isEnabled());
  EXPECT_EQ(screen->configurationIssuesAlert(), nullptr);
  fields()->modelPicker()->setCurrentIndex(1);
  emit fields()->modelPicker()->activated(1);
  EXPECT_EQ(*llmConfig->selectedModel, "gpt-4o-mini");
  EXPECT_EQ(actionButton(), "Save");
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  EXPECT_EQ(actionButton(), "Saved");
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("llm_provider"), "openai");
  EXPECT_EQ(suite().string("llm_api_key"), "sk-abc");
  EXPECT_EQ(suite().string("llm_model"), "gpt-4o-mini");
}

TEST_F(AIModelsScreenTest, TheSecureFieldShowsDotsAndGivesNothingToTheClipboard) {
  tap(LLMProvider::openai);
  auto* edit = fields()->apiKeyField()->lineEdit();
  QTest::keyClicks(edit, "sk-secret");
  EXPECT_NE(edit->displayText(), "sk-secret");
  QGuiApplication::clipboard()->setText("before");
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
  EXPECT_EQ(*llmConfig->apiKey, "sk-secret");
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);  // cut away, but not onto the clipboard
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST_F(AIModelsScreenTest, SlidersMoveInTheirStepsAndWriteWholeNumbers) {
  tap(LLMProvider::ollama);
  fields()->advancedSettings()->setExpanded(true);
  auto* timeout = fields()->timeoutSlider()->slider();
  auto* tokens = fields()->maxTokensSlider()->slider();
  EXPECT_EQ(timeout->minimum(), 10);
  EXPECT_EQ(timeout->maximum(), 120);
  EXPECT_EQ(timeout->step(), 5);
  EXPECT_EQ(tokens->minimum(), 256);
  EXPECT_EQ(tokens->maximum(), 8192);
  EXPECT_EQ(tokens->step(), 256);
  EXPECT_EQ(fields()->timeoutSlider()->valueLabel()->text(), "Timeout (seconds): 30");
  EXPECT_EQ(fields()->maxTokensSlider()->valueLabel()->text(), "Max Tokens: 2048");
  QTest::keyClick(timeout, Qt::Key_Right);
  EXPECT_EQ(*llmConfig->timeout, 35.0);
  EXPECT_EQ(fields()->timeoutSlider()->valueLabel()->text(), "Timeout (seconds): 35");
  QTest::keyClick(timeout, Qt::Key_End);
  EXPECT_EQ(*llmConfig->timeout, 120.0);
  QTest::keyClick(tokens, Qt::Key_Left);
  EXPECT_EQ(*llmConfig->maxTokens, 1792);
  EXPECT_EQ(fields()->maxTokensSlider()->valueLabel()->text(), "Max Tokens: 1792");
  QTest::keyClick(tokens, Qt::Key_Home);
  EXPECT_EQ(*llmConfig->maxTokens, 256);
}

// A value between the steps (set from outside) is shown as it is and not
// rounded into the settings by merely showing it.
TEST_F(AIModelsScreenTest, ShowingAValueBetweenStepsLeavesIt) {
  tap(LLMProvider::custom);
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  llmConfig->timeout = 33.7;
  llmConfig->maxTokens = 1000;
  EXPECT_EQ(fields()->timeoutSlider()->valueLabel()->text(), "Timeout (seconds): 33");
  EXPECT_EQ(fields()->maxTokensSlider()->valueLabel()->text(), "Max Tokens: 1000");
  tap(LLMProvider::custom);  // the fields are made again for the same values
  EXPECT_EQ(*llmConfig->timeout, 33.7);
  EXPECT_EQ(*llmConfig->maxTokens, 1000);
}

TEST_F(AIModelsScreenTest, TestConnectionNeedsAValidConfigurationKnownAtTheLastRefresh) {
  tap(LLMProvider::openai);
  EXPECT_FALSE(screen->testButton()->isEnabled());  // no key
  EXPECT_EQ(screen->configurationRow()->icon()->symbol().name(), "xmark.circle.fill");
  QTest::keyClicks(fields()->apiKeyField()->lineEdit(), "sk");
  EXPECT_FALSE(screen->testButton()->isEnabled());  // edits refresh nothing by themselves
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  EXPECT_TRUE(screen->testButton()->isEnabled());
  EXPECT_EQ(screen->configurationRow()->icon()->symbol().name(), "checkmark.circle.fill");
  EXPECT_EQ(screen->configurationRow()->icon()->symbol().color(), ui::color::green());
}

TEST_F(AIModelsScreenTest, TappingTheChosenCardStillSwitchesAndRefreshes) {
  tap(LLMProvider::openai);
  llmConfig->endpoint = std::string("https://changed.example/v1");
  int refreshes = 0;
  auto subscription = screen->configManager().isConfigurationValid.onChange([&](bool) { ++refreshes; });
  tap(LLMProvider::openai);
  EXPECT_GE(refreshes, 1);
  EXPECT_EQ(*llmConfig->endpoint, "https://api.openai.com/v1");  // its defaults again
}

TEST_F(AIModelsScreenTest, StatusRowsShowTheirThreeStates) {
  auto* row = screen->connectionRow();
  EXPECT_NE(gui_test::findByText(*row, "Connection"), nullptr);
  EXPECT_NE(gui_test::findByText(*row, "Last connection test result"), nullptr);
  struct Case {
    std::optional<bool> state;
    const char* icon;
    QColor color;
  } cases[] = {{std::nullopt, "questionmark.circle.fill", ui::color::orange()},
               {true, "checkmark.circle.fill", ui::color::green()},
               {false, "xmark.circle.fill", ui::color::red()}};
  for (const auto& c : cases) {
    screen->configManager().lastTestSuccessful = c.state;
    EXPECT_EQ(row->icon()->symbol().name(), c.icon);
    EXPECT_EQ(row->icon()->symbol().color(), c.color);
    const QImage image = gui_test::render(*row, row->size());
    EXPECT_GT(gui_test::countPixelsNear(image, c.color, 10), 20);
  }
}

// A key or endpoint copied with its line break is saved without it: every
// request would otherwise fail on a header or URL holding one.
TEST_F(AIModelsScreenTest, PastedLineBreaksNeverReachTheSavedSettings) {
  tap(LLMProvider::custom);
  for (auto* field : {fields()->apiKeyField(), fields()->endpointField()}) field->lineEdit()->clear();
  QGuiApplication::clipboard()->setText("sk-key\n");
  fields()->apiKeyField()->lineEdit()->paste();
  QGuiApplication::clipboard()->setText("https://llm.example/v1\r\n");
  fields()->endpointField()->lineEdit()->paste();
  QGuiApplication::clipboard()->setText("my\nmodel\n");
  fields()->customModelField()->lineEdit()->paste();
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("llm_api_key"), "sk-key");
  EXPECT_EQ(suite().string("llm_custom_model"), "my model");
}

// A key and a model name stored with their line breaks (saved by hand, or
// before fields kept to one line) are shown on one line; what is shown is
// then what Save stores, and until then the screen offers Save, since the
// compose assistant still reads them with their breaks.
TEST_F(AIModelsScreenTest, StoredLineBreaksAreShownAsUnsavedAndSavedAway) {
  for (auto* store : {&standard(), &suite()}) {
    store->set("llm_provider", std::string("custom"));
    store->set("llm_api_key", std::string("sk-key\r\n"));
    store->set("llm_custom_model", std::string("my\nmodel"));
    ASSERT_TRUE(store->synchronize());
  }
  rereadStoresFromDisk();
  mervo::LLMProviderConfig config;
  mervo::LLMAPIService service(mervo::EnvironmentConfig::shared(), config);
  LLMConfigurationView shown(config, service);
  shown.resize(700, 1100);
  gui_test::showAndWait(shown);
  auto* fields = shown.providerFields();
  EXPECT_EQ(fields->apiKeyField()->text(), "sk-key");
  EXPECT_EQ(*config.apiKey, "sk-key");
  EXPECT_EQ(*config.customModelName, "my model");
  EXPECT_TRUE(shown.saveButton()->isVisible());
  QTest::mouseClick(shown.saveButton(), Qt::LeftButton);
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("llm_api_key"), "sk-key");
  EXPECT_EQ(suite().string("llm_custom_model"), "my model");
}

// Save from the keyboard, in the window: the button gives way to "Saved",
// and focus must not run on to the next control (the key field, with its
// text selected, where the next keystroke would replace the key; or a tab
// button, which the next space would press).
TEST_F(AIModelsScreenTest, SavingFromTheKeyboardLeavesNoFieldFocusedAndSelected) {
  mervo::views::ContentView window(environment());
  window.state().selectTab(mervo::MainTab::apiConfig);
  gui_test::showAndWait(window);
  auto* models = static_cast<LLMConfigurationView*>(window.tabContent());
  models->selectProvider(LLMProvider::openai);
  auto* key = models->providerFields()->apiKeyField()->lineEdit();
  key->setFocus();
  QTest::keyClicks(key, "sk-abc");
  for (int presses = 0; presses < 40 && !models->saveButton()->hasFocus(); ++presses)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_TRUE(models->saveButton()->hasFocus());
  QTest::keyClick(models->saveButton(), Qt::Key_Space);
  ASSERT_TRUE(models->savedButton()->isVisible());
  // "Saved", disabled, cannot hold the focus: it stays beside it, on "Test
  // Connection", with its ring, and the next Tab goes on from there.
  EXPECT_EQ(QApplication::focusWidget(), models->testButton());
  EXPECT_TRUE(ui::showsFocusRing(*models->testButton()));
  for (auto* field : window.findChildren<QLineEdit*>()) {
    SCOPED_TRACE(field->placeholderText().toStdString());
    EXPECT_FALSE(field->hasFocus());
    EXPECT_FALSE(field->hasSelectedText());
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
  EXPECT_EQ(*llmConfig->apiKey, "sk-abc");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), models->testButton());
}

// The provider cards are buttons for the keyboard too: Tab reaches them, the
// focused one wears the focus ring, and Space chooses it.
TEST_F(AIModelsScreenTest, ProviderCardsAreReachedWithTabAndChosenWithSpace) {
  screen->activateWindow();
  auto* gemini = screen->providerCard(LLMProvider::gemini);
  auto* openai = screen->providerCard(LLMProvider::openai);
  gemini->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return gemini->hasFocus(); }));
  const QImage unfocused = gui_test::render(*openai, openai->size());
  QTest::keyClick(gemini, Qt::Key_Tab);
  ASSERT_TRUE(openai->hasFocus());
  const QImage focused = gui_test::render(*openai, openai->size());
  const QColor ring = gui_test::colorOverWhite(focused, QPoint(1, openai->height() / 2));
  EXPECT_GT(ring.blue(), ring.red() + 40) << ring.name().toStdString();
  EXPECT_NE(focused.pixel(1, openai->height() / 2), unfocused.pixel(1, openai->height() / 2));
  QTest::keyClick(openai, Qt::Key_Space);
  EXPECT_EQ(*llmConfig->currentProvider, LLMProvider::openai);
}

// Tab goes down the screen as it is read, whichever provider's fields were
// made last: the cards, the fields, then the buttons under them.
TEST_F(AIModelsScreenTest, TabFollowsTheScreenFromTopToBottom) {
  for (LLMProvider provider : {LLMProvider::openai, LLMProvider::ollama, LLMProvider::custom}) {
    SCOPED_TRACE(std::string(mervo::rawValue(provider)));
    tap(provider);
    ASSERT_TRUE(gui_test::waitUntil([&] { return fields()->isVisible(); }));
    auto* first = screen->providerCard(LLMProvider::gemini);
    screen->activateWindow();
    first->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(gui_test::waitUntil([&] { return first->hasFocus(); }));
    QPoint previous = first->mapTo(screen.get(), QPoint(0, 0));
    std::vector<QWidget*> reached;
    for (int presses = 0; presses < 40; ++presses) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focused = QApplication::focusWidget();
      if (focused == first) break;
      reached.push_back(focused);
      const QPoint at = focused->mapTo(screen.get(), QPoint(0, 0));
      EXPECT_TRUE(at.y() > previous.y() || (at.y() == previous.y() && at.x() > previous.x()))
          << focused->metaObject()->className() << " at " << at.x() << "," << at.y() << " after " << previous.x()
          << "," << previous.y();
      previous = at;
    }
    EXPECT_NE(std::ranges::find(reached, fields()->endpointField()->lineEdit()), reached.end());
    EXPECT_NE(std::ranges::find(reached, screen->saveButton()), reached.end());
  }
}

TEST_F(AIModelsScreenTest, SavingAnIncompleteConfigurationRaisesItsIssues) {
  tap(LLMProvider::openai);
  fields()->endpointField()->lineEdit()->clear();
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return screen->configurationIssuesAlert() != nullptr; }));
  auto* alert = screen->configurationIssuesAlert();
  EXPECT_EQ(alert->windowTitle(), "Configuration Issues");
  EXPECT_EQ(alert->messageLabel()->text(), QString::fromUtf8("• OpenAI API key is required\n• OpenAI endpoint is required"));
  // The save itself happened.
  EXPECT_EQ(actionButton(), "Saved");
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("llm_endpoint"), "");
  QTest::mouseClick(qobject_cast<QAbstractButton*>(gui_test::findByText(*alert, "OK")), Qt::LeftButton);
  EXPECT_TRUE(gui_test::waitUntil([&] { return screen->configurationIssuesAlert() == nullptr; }));
  EXPECT_FALSE(screen->testButton()->isEnabled());
}

}  // namespace

namespace {

// A timeout the stores hold, however odd, is shown truncated and kept as it
// is: showing the screen neither rewrites it nor shows garbage for it.
struct StoredTimeout {
  const char* name;
  double stored;
  const char* label;
};

void PrintTo(const StoredTimeout& t, std::ostream* os) { *os << t.name; }

class StoredTimeoutOnTheScreen : public mervo_gui_test::MervoGuiTest,
                                 public ::testing::WithParamInterface<StoredTimeout> {};

TEST_P(StoredTimeoutOnTheScreen, IsShownAsItIsAndKept) {
  const auto& t = GetParam();
  standard().set("llm_timeout", t.stored);
  ASSERT_TRUE(standard().synchronize());
  rereadStoresFromDisk();
  mervo::LLMProviderConfig config;
  config.applyLaunchProviderPolicy();
  mervo::LLMAPIService service(mervo::EnvironmentConfig::shared(), config);
  LLMConfigurationView screen(config, service);
  screen.resize(700, 1100);
  gui_test::showAndWait(screen);
  screen.selectProvider(LLMProvider::openai);
  screen.providerFields()->advancedSettings()->setExpanded(true);
  EXPECT_EQ(screen.providerFields()->timeoutSlider()->valueLabel()->text(), t.label);
  screen.save();
  rereadStoresFromDisk();
  for (auto* store : {&standard(), &suite()}) {
    auto kept = store->object("llm_timeout");
    ASSERT_TRUE(kept && kept->asReal());
    if (std::isnan(t.stored)) EXPECT_TRUE(std::isnan(*kept->asReal()));
    else EXPECT_EQ(*kept->asReal(), t.stored);
  }
}

INSTANTIATE_TEST_SUITE_P(AIModelsScreen, StoredTimeoutOnTheScreen,
                         ::testing::Values(StoredTimeout{"Huge", 1e308, "Timeout (seconds): 1e+308"},
                                           StoredTimeout{"BeyondTheIntegers", 1e19, "Timeout (seconds): 1e+19"},
                                           StoredTimeout{"NotANumber", std::nan(""), "Timeout (seconds): nan"},
                                           StoredTimeout{"Infinite", INFINITY, "Timeout (seconds): inf"},
                                           StoredTimeout{"Negative", -5, "Timeout (seconds): -5"},
                                           StoredTimeout{"SmallNegative", -0.5, "Timeout (seconds): 0"},
                                           StoredTimeout{"BetweenSteps", 33.7, "Timeout (seconds): 33"},
                                           StoredTimeout{"Hundred", 100, "Timeout (seconds): 100"}),
                         [](const ::testing::TestParamInfo<StoredTimeout>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A save that a store did not take leaves "Save" up and says why, so the user
// knows the settings are not where the compose assistant reads them; the
// next save that lands turns it to "Saved".
struct FailedSave {
  const char* name;
  bool sharedSuite;  // else Mervo's own defaults
  bool unreadableWhenOpened;  // else it goes bad after Mervo opened it
};
void PrintTo(const FailedSave& f, std::ostream* os) { *os << f.name; }

class FailedSaveOnTheScreen : public AIModelsScreenTest, public ::testing::WithParamInterface<FailedSave> {};

TEST_P(FailedSaveOnTheScreen, KeepsSaveUpAndSaysWhy) {
  const auto& f = GetParam();
  const std::string domain = f.sharedSuite ? settings_test::kSuiteName : standard().domain();
  tap(LLMProvider::openai);
  QTest::keyClicks(fields()->apiKeyField()->lineEdit(), "sk-abc");
  // Another program (or a hand edit) leaves the store's file unreadable: it
  // is not overwritten.
  if (f.unreadableWhenOpened) rereadStoresFromDisk();
  const auto file = platform::UserDefaults::fileForDomain(domain);
  { std::ofstream(file) << "<plist><dict><key>llm_api_key</dict></plist>"; }
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  EXPECT_EQ(actionButton(), "Save");
  EXPECT_TRUE(*llmConfig->hasUnsavedChanges);
  ASSERT_TRUE(gui_test::waitUntil([&] { return screen->saveFailedAlert() != nullptr; }));
  EXPECT_EQ(screen->saveFailedAlert()->windowTitle(), "Not Saved");
  const QString message = gui_test::readableText(*screen->saveFailedAlert()->messageLabel());
  EXPECT_TRUE(message.startsWith("The settings could not be saved, so the compose assistant still uses the previous ones."))
      << message.toStdString();
  EXPECT_TRUE(message.contains(QString::fromStdString(file.string()) + " is not a property list")) << message.toStdString();
  EXPECT_EQ(screen->configurationIssuesAlert(), nullptr);
  EXPECT_EQ(test_support::readFile(file), "<plist><dict><key>llm_api_key</dict></plist>");
  screen->saveFailedAlert()->close();

  std::filesystem::remove(file);
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  EXPECT_EQ(actionButton(), "Saved");
  EXPECT_TRUE(gui_test::waitUntil([&] { return screen->saveFailedAlert() == nullptr; }));
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("llm_api_key"), "sk-abc");
  EXPECT_EQ(standard().string("llm_api_key"), "sk-abc");
}

INSTANTIATE_TEST_SUITE_P(AIModelsScreen, FailedSaveOnTheScreen,
                         ::testing::Values(FailedSave{"StandardDefaultsGoneBad", false, false},
                                           FailedSave{"SharedSuiteGoneBad", true, false},
                                           FailedSave{"SharedSuiteUnreadableWhenOpened", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Choosing the built-in service saves at once; when a store does not take it
// the screen says so with "Save" instead of showing the choice as made while
// the compose assistant still reads the previous provider.
TEST_F(AIModelsScreenTest, ABuiltInChoiceAStoreDidNotTakeShowsSave) {
  tap(LLMProvider::openai);
  QTest::keyClicks(fields()->apiKeyField()->lineEdit(), "sk-abc");
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  ASSERT_EQ(actionButton(), "Saved");
  const auto file = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  { std::ofstream(file) << "not a property list"; }
  tap(LLMProvider::gemini);
  EXPECT_EQ(actionButton(), "Save");
  std::filesystem::remove(file);
  QTest::mouseClick(screen->saveButton(), Qt::LeftButton);
  EXPECT_EQ(actionButton(), "");
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("llm_provider"), "gemini");
}

}  // namespace
