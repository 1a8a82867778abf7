#include <fstream>

#include <gtest/gtest.h>

#include "SettingsTestSupport.hpp"
#include "settings/LLMAPIService.hpp"

using mervo::EnvironmentConfig;
using mervo::LLMAPIService;
using mervo::LLMProvider;
using mervo::LLMProviderConfig;

namespace {

class AvailabilityTest : public settings_test::SettingsTest {};

struct Deployment {
  const char* name;
  std::optional<std::string> workerKey = {}, workerURL = {}, googleKey = {}, projectID = {};
};

}  // namespace

TEST_F(AvailabilityTest, DeploymentValuesDecideWhichRoadTheBuiltInServiceHas) {
  struct Case {
    Deployment deployment;
    bool worker, firebase;
  } cases[] = {
      {{"nothing"}, false, false},
      {{"worker key only", "w"}, false, false},
      {{"worker", "w", "https://worker.example"}, true, false},
      {{"worker and google", "w", "https://worker.example", "g", "p"}, true, false},
      {{"google key only", {}, {}, "g"}, false, false},
      {{"google", {}, {}, "g", "p"}, false, true},
      {{"empty values", "", "", "", ""}, false, false},
  };
  EnvironmentConfig env;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deployment.name);
    setEnv("WORKER_API_KEY", c.deployment.workerKey);
    setEnv("CLOUDFLARE_WORKER_URL", c.deployment.workerURL);
    setEnv("GOOGLE_API_KEY", c.deployment.googleKey);
    setEnv("FIREBASE_PROJECT_ID", c.deployment.projectID);
    EXPECT_EQ(env.isWorkerConfigured(), c.worker);
    EXPECT_EQ(env.isFirebaseConfigured(), c.firebase);
  }
}

TEST_F(AvailabilityTest, ValuesComeFromTheEnvironmentThenTheDotEnvResourceThenTheDefault) {
  std::ofstream(dotEnvPath()) << "GEMINI_MODEL=gemini-from-file\nDEBUG_LOGGING=1\n";
  EnvironmentConfig env;
  EXPECT_EQ(env.geminiModel(), "gemini-from-file");
  setEnv("GEMINI_MODEL", "");  // empty does not hide the file's value
  EXPECT_EQ(env.geminiModel(), "gemini-from-file");
  setEnv("GEMINI_MODEL", "gemini-from-env");
  EXPECT_EQ(env.geminiModel(), "gemini-from-env");
  EXPECT_EQ(env.appGroupID(), "group.tesvarin.quorbel");

  struct Case {
    std::string value;
    bool on;
  } debugCases[] = {{"TRUE", true}, {"1", true}, {"yes", false}, {" true", false}, {"01", false}};
  EXPECT_TRUE(env.isDebugLoggingEnabled());  // "1" from the file
  for (const auto& c : debugCases) {
    setEnv("DEBUG_LOGGING", c.value);
    EXPECT_EQ(env.isDebugLoggingEnabled(), c.on) << "'" << c.value << "'";
  }
}

TEST_F(AvailabilityTest, IssuesForATableOfProvidersAndDeployments) {
  using Issues = std::vector<std::string>;
  const Deployment none{"none"}, worker{"worker", "w", "https://worker.example"},
      google{"google", {}, {}, "g", "p"}, googleKeyOnly{"google key only", {}, {}, "g"};
  struct Case {
    LLMProvider provider;
    Deployment deployment;
    Issues expected;
  } cases[] = {
      {LLMProvider::gemini, none, {"Built-in Gemini service is not available"}},
      {LLMProvider::gemini, googleKeyOnly, {"Built-in Gemini service is not available"}},
      {LLMProvider::gemini, worker, {}},
      {LLMProvider::gemini, google, {}},  // no default app is needed for this
      {LLMProvider::openai, none, {"OpenAI API key is required", "OpenAI endpoint is required"}},
      {LLMProvider::ollama, none, {}},
      {LLMProvider::custom, worker, {"Custom API endpoint is required", "Model name is required"}},
  };
  LLMProviderConfig config;
  LLMAPIService service(EnvironmentConfig::shared(), config);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(mervo::rawValue(c.provider)) + " with " + c.deployment.name);
    setEnv("WORKER_API_KEY", c.deployment.workerKey);
    setEnv("CLOUDFLARE_WORKER_URL", c.deployment.workerURL);
    setEnv("GOOGLE_API_KEY", c.deployment.googleKey);
    setEnv("FIREBASE_PROJECT_ID", c.deployment.projectID);
    config.switchProvider(c.provider);
    if (c.provider == LLMProvider::openai) config.endpoint = "";
    EXPECT_EQ(service.builtInAvailabilityIssues(), c.expected);
  }
}

TEST(LLMProviderCatalogue, IdentifiersMatchExactly) {
  auto all = mervo::allCases<LLMProvider>();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0], LLMProvider::gemini);
  EXPECT_EQ(all[3], LLMProvider::custom);
  for (std::string raw : {"Gemini", " gemini", "gemini ", ""}) EXPECT_FALSE(mervo::fromRawValue<LLMProvider>(raw));
  EXPECT_EQ(mervo::fromRawValue<LLMProvider>("ollama"), LLMProvider::ollama);
}
