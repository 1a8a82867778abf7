// What the settings application saves is what the extension's router uses.
#include <gtest/gtest.h>

#include <sstream>

#include "foundation/DefaultsCommand.hpp"
#include "foundation/Json.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "router/UserSettingsAccessor.hpp"
#include "SettingsTestSupport.hpp"
#include "settings/LLMProviderConfig.hpp"
#include "settings/UserSettings.hpp"
#include "test_support/LoopbackServer.hpp"

using mervo::LLMProvider;
using mervo::LLMProviderConfig;
using test_support::LoopbackServer;

namespace {

class RouterEndToEndTest : public settings_test::SettingsTest {
 protected:
  static quorbel::LLMResult askRouter() {
    std::optional<quorbel::LLMResult> result;
    quorbel::ExtensionLLMAPIService::shared().generateContent("Hi", std::nullopt,
                                                              [&](quorbel::LLMResult r) { result = std::move(r); });
    EXPECT_TRUE(test_support::runMainQueueUntil([&] { return result.has_value(); }));
    return result.value_or(std::unexpected(nullptr));
  }
};

}  // namespace

TEST_F(RouterEndToEndTest, TheRoutersNextRequestGoesWhereTheStoreSaved) {
  LoopbackServer saved, unsaved;
  saved.reply(200, R"({"choices":[{"message":{"content":"from saved"}}]})");
  unsaved.reply(200, R"({"choices":[{"message":{"content":"from unsaved"}}]})");

  LLMProviderConfig config;
  config.applyLaunchProviderPolicy();
  config.switchProvider(LLMProvider::openai);
  config.endpoint = saved.baseURL() + "/v1";
  config.apiKey = "sk-end-to-end";
  config.selectedModel = "gpt-4o-mini";
  config.maxTokens = 512;
  config.saveConfigurationManually();
  // An edit that is not saved does not reach the extension.
  config.endpoint = unsaved.baseURL() + "/v1";

  EXPECT_EQ(askRouter(), "from saved");
  EXPECT_EQ(unsaved.requestCount(), 0u);
  auto request = saved.lastRequest();
  EXPECT_EQ(request.path, "/v1/chat/completions");
  EXPECT_EQ(request.header("Authorization"), "Bearer sk-end-to-end");
  auto body = platform::json::Value::parse(request.body);
  EXPECT_EQ(body["model"], "gpt-4o-mini");
  EXPECT_EQ(body["max_tokens"], 512);
}

// A prompt given to the defaults command in another encoding than UTF-8 is
// refused, so no file holds a text its readers would refuse: the application
// and the extension go on reading the prompt that was there.
TEST_F(RouterEndToEndTest, APromptInAnotherEncodingIsRefusedAndTheStoredOneKept) {
  std::ostringstream out, err;
  ASSERT_EQ(platform::runDefaultsCommand({"write", settings_test::kSuiteName, "customSystemPrompt", "Dear Bob"}, out, err), 0);
  ASSERT_EQ(platform::runDefaultsCommand({"write", settings_test::kSuiteName, "useCustomPrompt", "-bool", "true"}, out, err), 0);
  EXPECT_NE(platform::runDefaultsCommand({"write", settings_test::kSuiteName, "customSystemPrompt", "Gr\xFC\xDF" "e, Bob"},
                                         out, err), 0);
  rereadStoresFromDisk();
  quorbel::UserSettingsAccessor::resetForTesting();
  mervo::UserSettings settings;
  EXPECT_EQ(settings.effectiveSystemPrompt(), "Dear Bob");
  EXPECT_EQ(quorbel::UserSettingsAccessor::shared().effectiveSystemPrompt(), "Dear Bob");
}
