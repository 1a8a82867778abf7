// The app core's headers name members "slots", which Qt's headers define
// away, so they come first.
#include "firebase_core/FIRApp.hpp"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <future>

#include <gtest/gtest.h>

#include "LoopbackSetup.hpp"
#include "MervoGuiTest.hpp"
#include "RunningProgram.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/LLMConfigurationView.hpp"
#include "app_views/ProviderCard.hpp"
#include "app_views/ProviderSettingsFields.hpp"
#include "app_views/StatusRow.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Json.hpp"
#include "test_doubles/DirectRoadFailures.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/LoopbackServer.hpp"
#include "ui/FocusRing.hpp"
#include "ui/PopUpPicker.hpp"
#include "ui/StyledButton.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/TextField.hpp"

namespace {

using mervo::LLMProvider;
using mervo::views::LLMConfigurationView;
using test_support::LoopbackServer;

// The AI Models screen as the window shows it, testing against servers on
// 127.0.0.1 through the real connection test.
class AIModelsConnectionTest : public mervo_gui_test::MervoGuiTest {
 protected:
  void SetUp() override {
    MervoGuiTest::SetUp();
    window = std::make_unique<mervo::views::ContentView>(environment());
    window->resize(900, 1200);
    gui_test::showAndWait(*window);
    QTest::mouseClick(window->tabButton(mervo::MainTab::apiConfig), Qt::LeftButton);
  }
  void TearDown() override {
    window.reset();
    firebase::FIRApp::resetApps();
    MervoGuiTest::TearDown();
  }

  LLMConfigurationView* screen() { return qobject_cast<LLMConfigurationView*>(window->tabContent()); }

  static void type(ui::TextField* field, const std::string& text) {
    field->lineEdit()->clear();
    QTest::keyClicks(field->lineEdit(), QString::fromStdString(text));
  }

  // Chooses the provider on its card, points it at the server and saves.
  void configure(LLMProvider provider, const std::string& endpoint) {
    QTest::mouseClick(screen()->providerCard(provider), Qt::LeftButton);
    auto* fields = screen()->providerFields();
    type(fields->endpointField(), endpoint);
    if (fields->apiKeyField()) type(fields->apiKeyField(), "sk-loopback");
    if (fields->customModelField()) type(fields->customModelField(), "loopback-model");
    QTest::mouseClick(screen()->saveButton(), Qt::LeftButton);
  }

  // Presses Test Connection and returns the alert's text once it comes.
  QString testConnection() {
    EXPECT_TRUE(screen()->testButton()->isEnabled());
    QTest::mouseClick(screen()->testButton(), Qt::LeftButton);
    EXPECT_TRUE(screen()->isTestingConnection());
    EXPECT_FALSE(screen()->testButton()->isEnabled());  // no second test meanwhile
    if (!gui_test::waitUntil([&] { return screen()->testAlert() != nullptr; })) return {};
    EXPECT_FALSE(screen()->isTestingConnection());
    EXPECT_TRUE(screen()->testButton()->isEnabled());
    EXPECT_EQ(screen()->testAlert()->windowTitle(), "Connection Test");
    return gui_test::readableText(*screen()->testAlert()->messageLabel());
  }

  QString connectionSymbol() { return screen()->connectionRow()->icon()->symbol().name(); }

  static bool aTestAlertIsUp() {
    for (auto* widget : QApplication::topLevelWidgets())
      if (qobject_cast<ui::AlertDialog*>(widget) && widget->isVisible() && widget->windowTitle() == "Connection Test")
        return true;
    return false;
  }

  LoopbackServer server;
  std::unique_ptr<mervo::views::ContentView> window;
};

LoopbackServer::Reply json(const platform::json::Value& body, int status = 200) {
  return {status, *platform::json::serialize(body), "application/json", {}};
}

struct Exchange {
  const char* name;
  LLMProvider provider;
  LoopbackServer::Reply reply;
  const char* path;
  const char* alert;
  bool succeeds;
};

void PrintTo(const Exchange& e, std::ostream* os) { *os << e.name; }

class ConnectionOutcome : public AIModelsConnectionTest, public ::testing::WithParamInterface<Exchange> {};

TEST_P(ConnectionOutcome, IsShownInTheAlertAndTheConnectionRow) {
  const auto& c = GetParam();
  server.reply(c.reply);
  configure(c.provider, server.baseURL());
  EXPECT_EQ(connectionSymbol(), "questionmark.circle.fill");
  EXPECT_EQ(testConnection(), QString::fromUtf8(c.alert));
  EXPECT_EQ(server.lastRequest().path, c.path);
  EXPECT_EQ(connectionSymbol(), c.succeeds ? "checkmark.circle.fill" : "xmark.circle.fill");
  EXPECT_EQ(*screen()->configManager().lastTestSuccessful, c.succeeds);
}

INSTANTIATE_TEST_SUITE_P(
    AIModelsConnection, ConnectionOutcome,
    ::testing::Values(
        Exchange{"OpenAISucceeds", LLMProvider::openai, compose_test::chatReply("Connection successful!"), "/chat/completions",
                 "✅ Connection successful!\n\nResponse: Connection successful!", true},
        Exchange{"OpenAIRefusesTheKey", LLMProvider::openai, json({{"error", "bad key"}}, 401), "/chat/completions",
                 "❌ Connection failed!\n\nError: HTTP error: 401", false},
        Exchange{"OllamaSucceeds", LLMProvider::ollama, json({{"response", "Hello from llama"}, {"done", true}}), "/api/generate",
                 "✅ Connection successful!\n\nResponse: Hello from llama", true},
        Exchange{"OllamaFails", LLMProvider::ollama, json({{"error", "model not found"}}, 404), "/api/generate",
                 "❌ Connection failed!\n\nError: HTTP error: 404", false},
        Exchange{"CustomSucceeds", LLMProvider::custom, json({{"text", "Custom says hi"}}), "/chat/completions",
                 "✅ Connection successful!\n\nResponse: Custom says hi", true},
        Exchange{"CustomAnswersInAnotherShape", LLMProvider::custom, json({{"answer", "?"}}), "/chat/completions",
                 "❌ Connection failed!\n\nError: Invalid response format", false}),
    [](const ::testing::TestParamInfo<Exchange>& info) { return std::string(info.param.name); });

// A test started from the keyboard ends with the focus where it began: the
// alert closed with Return gives it back to "Test Connection", ring and all,
// and the next Tab goes on from there.
TEST_F(AIModelsConnectionTest, ATestStartedFromTheKeyboardGivesTheFocusBackToItsButton) {
  server.reply(compose_test::chatReply("Hello"));
  configure(LLMProvider::openai, server.baseURL());
  window->activateWindow();
  ASSERT_TRUE(gui_test::waitUntil([&] { return window->isActiveWindow(); }));
  auto* test = screen()->testButton();
  test->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(test->hasFocus());
  QTest::keyClick(test, Qt::Key_Space);
  ASSERT_TRUE(gui_test::waitUntil([&] { return screen()->testAlert() && screen()->testAlert()->isVisible(); }));
  QTest::keyClick(screen()->testAlert(), Qt::Key_Return);
  ASSERT_TRUE(gui_test::waitUntil([&] { return !screen()->testAlert(); }));
  // The window manager makes the window active again (the offscreen
  // platform leaves that to the test).
  window->activateWindow();
  ASSERT_TRUE(gui_test::waitUntil([&] { return test->hasFocus(); }));
  EXPECT_TRUE(ui::showsFocusRing(*test));
  QWidget* next = test->nextInFocusChain();
  while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() || !next->isEnabled()) next = next->nextInFocusChain();
  QTest::keyClick(test, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), next);
}

// Test Connection is enabled by the last check of the settings (a Save), but
// tests them as the screen shows them: an endpoint edited since the Save is
// the one tested.
TEST_F(AIModelsConnectionTest, ATestSendsTheSettingsOnTheScreenSavedOrNot) {
  server.reply(compose_test::chatReply("Hello"));
  configure(LLMProvider::openai, "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()));
  type(screen()->providerFields()->endpointField(), server.baseURL());
  ASSERT_TRUE(screen()->saveButton()->isVisible());  // not saved
  EXPECT_EQ(testConnection(), "✅ Connection successful!\n\nResponse: Hello");
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(AIModelsConnectionTest, AnUnreachableServerFailsTheTest) {
  configure(LLMProvider::ollama, "http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()));
  EXPECT_EQ(testConnection(), "❌ Connection failed!\n\nError: Could not connect to the server.");
  EXPECT_EQ(connectionSymbol(), "xmark.circle.fill");
}

// The built-in service's direct road: the default app from the bundle's
// options list, the Vertex AI client, and a backend on 127.0.0.1.
TEST_F(AIModelsConnectionTest, TheBuiltInServicesDirectRoadAnswersFromVertexAI) {
  test_doubles::VertexAIBackend backend;
  backend.answer("Connection successful!");
  test_doubles::configureDefaultAppFromShippedOptions();
  setEnv("GOOGLE_API_KEY", "AIza-loopback");
  setEnv("FIREBASE_PROJECT_ID", "quorbel-sample");
  QTest::mouseClick(window->tabButton(mervo::MainTab::home), Qt::LeftButton);
  QTest::mouseClick(window->tabButton(mervo::MainTab::apiConfig), Qt::LeftButton);
  EXPECT_EQ(screen()->builtInServiceRow()->icon()->symbol().name(), "checkmark.circle.fill");
  EXPECT_EQ(testConnection(), "✅ Connection successful!\n\nResponse: Connection successful!");
  EXPECT_EQ(server.requestCount(), 0u);
  ASSERT_EQ(backend.server.requestCount(), 1u);
  auto request = backend.server.requests().front();
  EXPECT_EQ(request.target, test_doubles::VertexAIBackend::generatePath("gemini-2.0-flash-lite"));
  EXPECT_EQ(request.header("x-goog-api-key"), test_doubles::kShippedAPIKey);
  EXPECT_EQ(request.body,
            R"({"contents":[{"role":"user","parts":[{"text":"You are a test assistant. Respond exactly with )"
            R"('Connection successful!' and nothing else."}]}]})");

  // A failure reads as the client says it.
  screen()->testAlert()->close();
  ASSERT_TRUE(gui_test::waitUntil([&] { return screen()->testAlert() == nullptr; }));
  const auto refused = test_doubles::failingReplies().front();  // the key is not valid
  backend.server.reply(refused.status, refused.body, refused.contentType);
  EXPECT_EQ(testConnection(), QString::fromStdString("❌ Connection failed!\n\nError: " + refused.shown));
  EXPECT_EQ(connectionSymbol(), "xmark.circle.fill");
  test_doubles::resetApps();
  std::filesystem::remove(test_support::IsolatedEnvironment::bundlePath() / "Resources" / "GoogleService-Info.plist");
}

// The server holds the answer back until the screen is gone; it is then
// dropped without touching the screen's freed state.
TEST_F(AIModelsConnectionTest, AnAnswerAfterTheScreenIsGoneIsDropped) {
  setEnv("DEBUG_LOGGING", "true");  // the console tells when the answer is in
  for (const char* leaving : {"switching tabs", "closing the window"}) {
    SCOPED_TRACE(leaving);
    std::promise<void> release;
    server.handle([held = release.get_future().share()](const LoopbackServer::Request&) {
      held.wait_for(std::chrono::seconds(20));  // a failed test never leaves the server stuck
      return compose_test::chatReply("late");
    });
    const auto before = server.requestCount();
    configure(LLMProvider::openai, server.baseURL());
    test_support::ConsoleCapture console;
    QTest::mouseClick(screen()->testButton(), Qt::LeftButton);
    ASSERT_TRUE(gui_test::waitUntil([&] { return server.requestCount() == before + 1; }));
    if (std::string(leaving) == "switching tabs") QTest::mouseClick(window->tabButton(mervo::MainTab::home), Qt::LeftButton);
    else window.reset();
    release.set_value();
    // Printed on the main queue by the work item that queues the completion
    // there; draining the queue then runs the completion.
    ASSERT_TRUE(gui_test::waitUntil([&] { return console.contains("📡 LLMAPIService: HTTP Response received"); }));
    platform::RunLoop::drainMainQueue();
    EXPECT_FALSE(aTestAlertIsUp());
    if (window) QTest::mouseClick(window->tabButton(mervo::MainTab::apiConfig), Qt::LeftButton);
  }
}

// Ollama chosen and saved on the screen is where the compose assistant's
// next request goes, with the model picked there.
TEST_F(AIModelsConnectionTest, TheAssistantsNextRequestUsesTheSavedProvider) {
  server.reply(json({{"response", "Dear Dana, gladly."}, {"done", true}}));
  QTest::mouseClick(screen()->providerCard(LLMProvider::ollama), Qt::LeftButton);
  auto* fields = screen()->providerFields();
  type(fields->endpointField(), server.baseURL());
  auto* picker = fields->modelPicker();
  picker->setCurrentIndex(picker->findData("qwen2.5"));
  emit picker->activated(picker->currentIndex());
  QTest::mouseClick(screen()->saveButton(), Qt::LeftButton);

  test_support::TempDir folder;
  const auto message = folder.write("invite.eml", "From: Dana <dana@example.org>\r\nSubject: Offsite\r\n\r\n<p>Join us?</p>");
  mervo_test::RunningProgram assistant(QUORBEL_EXTENSION, {"reply", message.string(), "--mode", "write"});
  ASSERT_EQ(assistant.exitStatus(), 0) << assistant.err();
  EXPECT_EQ(assistant.out(), "Dear Dana, gladly.\n");
  ASSERT_EQ(server.requestCount(), 1u);
  const auto request = server.lastRequest();
  EXPECT_EQ(request.path, "/api/generate");
  auto body = platform::json::parse(request.body);
  ASSERT_TRUE(body);
  EXPECT_EQ((*body)["model"], "qwen2.5");
}

}  // namespace
