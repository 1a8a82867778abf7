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

// A prompt given to the defaults command in another encoding than UTF-8 reads
// the same in the application and the extension, its bad bytes as U+FFFD: the
// AI Prompt tab shows what the extension sends, and it exports.
TEST_F(RouterEndToEndTest, APromptStoredInAnotherEncodingReadsTheSameEverywhere) {
  std::ostringstream out, err;
  ASSERT_EQ(platform::runDefaultsCommand({"write", settings_test::kSuiteName, "customSystemPrompt", "Gr\xFC\xDF" "e, Bob"},
                                         out, err), 0);
  ASSERT_EQ(platform::runDefaultsCommand({"write", settings_test::kSuiteName, "useCustomPrompt", "-bool", "true"}, out, err), 0);
  rereadStoresFromDisk();
  quorbel::UserSettingsAccessor::resetForTesting();
  const std::string repaired = "Gr\xEF\xBF\xBD\xEF\xBF\xBD" "e, Bob";
  mervo::UserSettings settings;
  EXPECT_EQ(settings.effectiveSystemPrompt(), repaired);
  EXPECT_EQ(quorbel::UserSettingsAccessor::shared().effectiveSystemPrompt(), repaired);
  auto exported = settings.exportSettings();
  ASSERT_TRUE(exported);
  EXPECT_EQ(platform::json::stringMember(*platform::json::parse(*exported), "customSystemPrompt"), repaired);
}
