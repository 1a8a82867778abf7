#include <gtest/gtest.h>

#include "SettingsTestSupport.hpp"
#include "app/LLMConfigurationManager.hpp"

namespace {

using mervo::LLMAPIService;
using mervo::LLMConfigurationManager;
using mervo::LLMProvider;
using mervo::LLMProviderConfig;

class LLMConfigurationManagerTest : public settings_test::SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    config = std::make_unique<LLMProviderConfig>();
    service = std::make_unique<LLMAPIService>(mervo::EnvironmentConfig::shared(), *config);
  }

  std::unique_ptr<LLMConfigurationManager> manager() { return std::make_unique<LLMConfigurationManager>(*service, *config); }

  std::unique_ptr<LLMProviderConfig> config;
  std::unique_ptr<LLMAPIService> service;
};

TEST_F(LLMConfigurationManagerTest, ANewManagerHasComputedFlagsAndNoTest) {
  config->switchProvider(LLMProvider::openai);
  config->apiKey = std::string();
  auto status = manager();
  EXPECT_FALSE(*status->isConfigurationValid);
  EXPECT_TRUE(*status->isBuiltinServiceAvailable);
  EXPECT_EQ(*status->lastTestSuccessful, std::nullopt);
}

struct Deployment {
  const char* name;
  std::vector<std::pair<const char*, const char*>> environment;
  bool available;
};

void PrintTo(const Deployment& d, std::ostream* os) { *os << d.name; }

class BuiltInDeployment : public LLMConfigurationManagerTest, public ::testing::WithParamInterface<Deployment> {};

// For the built-in service both flags say whether the deployment reaches it.
TEST_P(BuiltInDeployment, DecidesBothFlags) {
  for (const auto& [key, value] : GetParam().environment) setEnv(key, std::string(value));
  config->switchProvider(LLMProvider::gemini);
  auto status = manager();
  EXPECT_EQ(*status->isConfigurationValid, GetParam().available);
  EXPECT_EQ(*status->isBuiltinServiceAvailable, GetParam().available);
}

INSTANTIATE_TEST_SUITE_P(
    LLMConfigurationManager, BuiltInDeployment,
    ::testing::Values(Deployment{"NothingConfigured", {}, false},
                      Deployment{"WorkerProxy", {{"WORKER_API_KEY", "w"}, {"CLOUDFLARE_WORKER_URL", "https://w.example"}}, true},
                      Deployment{"DirectGoogleAccess", {{"GOOGLE_API_KEY", "g"}, {"FIREBASE_PROJECT_ID", "p"}}, true},
                      Deployment{"WorkerKeyAlone", {{"WORKER_API_KEY", "w"}}, false},
                      Deployment{"GoogleKeyWithoutProject", {{"GOOGLE_API_KEY", "g"}}, false}),
    [](const ::testing::TestParamInfo<Deployment>& info) { return std::string(info.param.name); });

TEST_F(LLMConfigurationManagerTest, ExternalProvidersAreValidByTheirFieldsUntrimmed) {
  struct Case {
    const char* name;
    LLMProvider provider;
    std::string apiKey, endpoint, model, customModel;
    bool valid;
  } cases[] = {
      {"openai complete", LLMProvider::openai, "sk", "https://x.example", "gpt-4o", "", true},
      {"openai without key", LLMProvider::openai, "", "https://x.example", "gpt-4o", "", false},
      {"ollama with a custom model only", LLMProvider::ollama, "", "http://localhost:11434", "", "phi", true},
      {"ollama without endpoint", LLMProvider::ollama, "", "", "llama3.2", "", false},
      {"custom with a blank endpoint", LLMProvider::custom, "", " ", "", "my-model", true},
      {"custom without model", LLMProvider::custom, "", "https://x.example", "", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    config->switchProvider(c.provider);
    config->apiKey = c.apiKey;
    config->endpoint = c.endpoint;
    config->selectedModel = c.model;
    config->customModelName = c.customModel;
    auto status = manager();
    EXPECT_EQ(*status->isConfigurationValid, c.valid);
    EXPECT_TRUE(*status->isBuiltinServiceAvailable);
  }
}

TEST_F(LLMConfigurationManagerTest, FlagsCatchUpOnlyAtTheNextRefresh) {
  config->switchProvider(LLMProvider::openai);
  config->apiKey = std::string("sk-test");
  auto status = manager();
  EXPECT_TRUE(*status->isConfigurationValid);
  config->apiKey = std::string();
  EXPECT_TRUE(*status->isConfigurationValid);
  status->refreshStatus();
  EXPECT_FALSE(*status->isConfigurationValid);
}

TEST_F(LLMConfigurationManagerTest, SwitchingToOllamaMakesTheBuiltInFlagTrueWhateverTheEnvironment) {
  config->switchProvider(LLMProvider::gemini);
  auto status = manager();
  EXPECT_FALSE(*status->isBuiltinServiceAvailable);
  config->switchProvider(LLMProvider::ollama);
  status->refreshStatus();
  EXPECT_TRUE(*status->isBuiltinServiceAvailable);
  EXPECT_TRUE(*status->isConfigurationValid);  // its default endpoint and first model
}

TEST_F(LLMConfigurationManagerTest, ARefreshAnnouncesBothFlagsAndLeavesTheTestOutcome) {
  auto status = manager();
  status->lastTestSuccessful = false;
  int valid = 0, builtIn = 0;
  auto a = status->isConfigurationValid.onChange([&](bool) { ++valid; });
  auto b = status->isBuiltinServiceAvailable.onChange([&](bool) { ++builtIn; });
  status->refreshStatus();
  status->refreshStatus();
  EXPECT_EQ(valid, 2);
  EXPECT_EQ(builtIn, 2);
  EXPECT_EQ(*status->lastTestSuccessful, false);
}

}  // namespace
