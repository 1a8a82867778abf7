#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/SystemPromptTexts.hpp"
#include "router/UserSettingsAccessor.hpp"

using platform::PropertyValue;
using quorbel::ExtensionConfig;
using quorbel::ExtensionLLMAPIService;
using quorbel::UserSettingsAccessor;
using router_test::RouterTest;
using test_support::ScopedEnv;
using Provider = ExtensionConfig::LLMProvider;
namespace texts = quorbel::prompt_texts;

namespace {

ExtensionLLMAPIService& service() { return ExtensionLLMAPIService::shared(); }

TEST_F(RouterTest, GettersTakeTheirDefaultsOnAnEmptySuite) {
  EXPECT_EQ(service().currentProvider(), Provider::gemini);
  EXPECT_EQ(service().apiKey(), "");
  EXPECT_EQ(service().endpoint(), "");
  EXPECT_EQ(service().model(), "");
  EXPECT_EQ(service().customModel(), "");
  EXPECT_DOUBLE_EQ(service().timeout(), 30.0);
  EXPECT_EQ(service().maxTokens(), 2048);
}

TEST_F(RouterTest, GettersTakeTheirDefaultsWhenTheSuiteCannotBeOpened) {
  auto shared = router_test::suite();
  shared->set("llm_provider", "openai");
  shared->set("llm_timeout", 5.0);
  shared->synchronize();
  router_test::corruptSuiteFile();
  EXPECT_EQ(service().currentProvider(), Provider::gemini);
  EXPECT_EQ(service().apiKey(), "");
  EXPECT_DOUBLE_EQ(service().timeout(), 30.0);
  EXPECT_EQ(service().maxTokens(), 2048);
}

TEST_F(RouterTest, NumbersNotAboveZeroGiveTheirDefaults) {
  auto shared = router_test::suite();
  struct Case {
    PropertyValue stored;
    double timeout;
    std::int64_t tokens;
  };
  for (const auto& c : {Case{-5, 30.0, 2048}, Case{0, 30.0, 2048}, Case{0.5, 0.5, 2048}, Case{1, 1.0, 1},
                        Case{"45", 45.0, 45}, Case{"soon", 30.0, 2048}, Case{true, 1.0, 1}}) {
    shared->set("llm_timeout", c.stored);
    shared->set("llm_max_tokens", c.stored);
    EXPECT_DOUBLE_EQ(service().timeout(), c.timeout) << c.stored.description();
    EXPECT_EQ(service().maxTokens(), c.tokens) << c.stored.description();
  }
}

TEST_F(RouterTest, ProviderIsTheExactRawValueOrGemini) {
  auto shared = router_test::suite();
  for (auto [stored, expected] : std::vector<std::pair<PropertyValue, Provider>>{
           {"openai", Provider::openai}, {"ollama", Provider::ollama}, {"custom", Provider::custom},
           {"OpenAI", Provider::gemini}, {"mistral", Provider::gemini}, {42, Provider::gemini}}) {
    shared->set("llm_provider", stored);
    EXPECT_EQ(service().currentProvider(), expected) << stored.description();
  }
}

TEST_F(RouterTest, ANumberUnderATextKeyReadsAsItsText) {
  router_test::suite()->set("llm_api_key", 1234);
  EXPECT_EQ(service().apiKey(), "1234");
}

struct EffectiveCase {
  const char* name;
  const char* provider;
  const char* model;
  const char* customModel;
  std::string expectedModel;
};
void PrintTo(const EffectiveCase& c, std::ostream* os) { *os << c.name; }

class EffectiveModel : public RouterTest, public ::testing::WithParamInterface<EffectiveCase> {};

TEST_P(EffectiveModel, FollowsTheProvider) {
  const auto& c = GetParam();
  auto shared = router_test::suite();
  shared->set("llm_provider", c.provider);
  shared->set("llm_model", c.model);
  shared->set("llm_custom_model", c.customModel);
  EXPECT_EQ(service().effectiveModel(), c.expectedModel);
}

INSTANTIATE_TEST_SUITE_P(
    Providers, EffectiveModel,
    ::testing::Values(EffectiveCase{"GeminiUsesTheConfiguredModel", "gemini", "a", "b", "gemini-2.0-flash-lite"},
                      EffectiveCase{"OpenAIPrefersTheListedModel", "openai", "a", "b", "a"},
                      EffectiveCase{"OpenAIFallsBackToCustomModel", "openai", "", "x", "x"},
                      EffectiveCase{"OllamaFallsBackToCustomModel", "ollama", "", "x", "x"},
                      EffectiveCase{"CustomUsesOnlyCustomModel", "custom", "a", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RouterTest, GeminiModelIsLookedUpAfreshForTheEffectiveModel) {
  ScopedEnv model("GEMINI_MODEL", "gemini-one");
  EXPECT_EQ(service().effectiveModel(), "gemini-one");
  ScopedEnv model2("GEMINI_MODEL", "gemini-two");
  EXPECT_EQ(service().effectiveModel(), "gemini-two");
}

TEST_F(RouterTest, EffectiveKeyAndEndpointPerProvider) {
  ScopedEnv google("GOOGLE_API_KEY", "google-key");
  auto shared = router_test::suite();
  shared->set("llm_api_key", "user-key");
  shared->set("llm_endpoint", "http://host");

  EXPECT_EQ(service().effectiveAPIKey(), "google-key");
  EXPECT_EQ(service().effectiveEndpoint(), "");  // gemini never reads the endpoint
  shared->set("current_api_mode", "worker");
  EXPECT_EQ(service().effectiveAPIKey(), "");

  shared->set("llm_provider", "ollama");
  EXPECT_EQ(service().effectiveAPIKey(), "user-key");
  EXPECT_EQ(service().effectiveEndpoint(), "http://host");
}

TEST_F(RouterTest, EndpointReadsPrintOnlyWhileDebugLoggingIsOn) {
  auto shared = router_test::suite();
  shared->set("llm_provider", "custom");
  shared->set("llm_endpoint", "http://e");
  service();
  {
    test_support::ConsoleCapture console;
    EXPECT_EQ(service().effectiveEndpoint(), "http://e");
    EXPECT_TRUE(console.lines().empty());
  }
  ScopedEnv debug("DEBUG_LOGGING", "true");
  test_support::ConsoleCapture console;
  service().effectiveEndpoint();
  EXPECT_EQ(console.lines(), (std::vector<std::string>{
                                 "🔧 ExtensionLLMAPIService: Read endpoint from UserDefaults: 'http://e'",
                                 "🌐 ExtensionLLMAPIService: Effective endpoint for custom: 'http://e'"}));
}

TEST_F(RouterTest, ServiceAnnouncesItsSuiteOnceWhateverTheDebugSwitch) {
  ScopedEnv group("APP_GROUP_ID", "group.elsewhere");
  test_support::ConsoleCapture console;
  service();
  service();
  EXPECT_EQ(console.lines(),
            std::vector<std::string>{"🚀 ExtensionLLMAPIService: Initialized with appGroupID: group.elsewhere"});
  EXPECT_EQ(service().appGroupID(), "group.elsewhere");
}

TEST_F(RouterTest, ProviderSettingsFollowAppGroupId) {
  ScopedEnv group("APP_GROUP_ID", "group.elsewhere");
  router_test::suite()->set("llm_provider", "openai");
  router_test::suite("group.elsewhere")->set("llm_provider", "ollama");
  EXPECT_EQ(service().currentProvider(), Provider::ollama);
}

// --- Prompt texts and the effective system prompt ---------------------------

TEST_F(RouterTest, FirstRunSettingsGiveThe781CharacterPrompt) {
  std::string prompt = UserSettingsAccessor::shared().effectiveSystemPrompt();
  EXPECT_EQ(platform::text::characterCount(prompt), 781u);
  std::string expected = std::string(texts::defaultSystemPrompt) + std::string(texts::toneHeader) +
                         std::string(texts::toneText("professional")) + std::string(texts::lengthHeader) +
                         std::string(texts::lengthText("medium")) + std::string(texts::contextSection);
  EXPECT_EQ(prompt, expected);
}

struct PromptCase {
  const char* name;
  std::optional<bool> useCustom;
  std::optional<std::string> custom;
  std::optional<std::string> tone;
  std::optional<std::string> length;
  std::string expectedCustom;      // the custom text when it wins, else empty
  std::string_view expectedTone;   // otherwise the assembled prompt's parts
  std::string_view expectedLength;
};
void PrintTo(const PromptCase& c, std::ostream* os) { *os << c.name; }

class EffectivePrompt : public RouterTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(EffectivePrompt, CustomWhenOnAndNotBlankElseAssembled) {
  const auto& c = GetParam();
  auto shared = router_test::suite();
  if (c.useCustom) shared->set("useCustomPrompt", *c.useCustom);
  if (c.custom) shared->set("customSystemPrompt", *c.custom);
  if (c.tone) shared->set("emailTone", *c.tone);
  if (c.length) shared->set("responseLength", *c.length);
  shared->set("includeContext", false);  // ignored: the context section is always there

  std::string prompt = UserSettingsAccessor::shared().effectiveSystemPrompt();
  if (!c.expectedCustom.empty()) {
    EXPECT_EQ(prompt, c.expectedCustom);
    return;
  }
  std::string expected = std::string(texts::defaultSystemPrompt) + std::string(texts::toneHeader) +
                         std::string(c.expectedTone) + std::string(texts::lengthHeader) +
                         std::string(c.expectedLength) + std::string(texts::contextSection);
  EXPECT_EQ(prompt, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, EffectivePrompt,
    ::testing::Values(
        PromptCase{"CustomPromptKeepsItsBlanks", true, "  Be brief.\n", {}, {}, "  Be brief.\n", {}, {}},
        PromptCase{"BlankCustomPromptIsNotUsed", true, " \n\t\n ", {}, {}, "",
                   texts::toneText("professional"), texts::lengthText("medium")},
        PromptCase{"SwitchedOffCustomPromptIsNotUsed", false, "Mine", {}, {}, "",
                   texts::toneText("professional"), texts::lengthText("medium")},
        PromptCase{"KnownToneAndLength", {}, {}, "casual", "long", "", texts::toneText("casual"),
                   texts::lengthText("long")},
        PromptCase{"CapitalisedToneIsUnknown", {}, {}, "Friendly", "short", "", texts::toneText("professional"),
                   texts::lengthText("short")},
        PromptCase{"UnknownLengthIsMedium", {}, {}, "formal", "huge", "", texts::toneText("formal"),
                   texts::lengthText("medium")}),
    [](const auto& info) { return std::string(info.param.name); });

// The settings application writes the prompt settings to the suite named by
// APP_GROUP_ID; the extension must read them there.
TEST_F(RouterTest, PromptSettingsFollowAppGroupId) {
  ScopedEnv group("APP_GROUP_ID", "group.renamed");
  auto renamed = router_test::suite("group.renamed");
  renamed->set("useCustomPrompt", true);
  renamed->set("customSystemPrompt", "From the renamed suite");
  router_test::suite()->set("useCustomPrompt", false);
  EXPECT_EQ(UserSettingsAccessor::shared().appGroupID(), "group.renamed");
  EXPECT_EQ(UserSettingsAccessor::shared().effectiveSystemPrompt(), "From the renamed suite");
}

TEST_F(RouterTest, AccessorSeesLaterChangesThroughItsSuite) {
  auto& accessor = UserSettingsAccessor::shared();
  EXPECT_NE(accessor.effectiveSystemPrompt(), "Later");
  router_test::suite()->set("useCustomPrompt", true);
  router_test::suite()->set("customSystemPrompt", "Later");
  EXPECT_EQ(accessor.effectiveSystemPrompt(), "Later");
}

TEST_F(RouterTest, AccessorAnnouncesItsSuiteWhateverTheDebugSwitch) {
  test_support::ConsoleCapture console;
  UserSettingsAccessor::shared();
  EXPECT_EQ(console.lines(),
            std::vector<std::string>{"✅ Successfully initialized UserDefaults with app group: group.tesvarin.quorbel"});
}

TEST_F(RouterTest, AccessorFallsBackToStandardDefaultsWhenTheSuiteCannotBeOpened) {
  router_test::corruptSuiteFile();
  platform::UserDefaults::standard().set("emailTone", "casual");
  test_support::ConsoleCapture console;
  std::string prompt = UserSettingsAccessor::shared().buildSystemPrompt();
  EXPECT_EQ(console.lines(), std::vector<std::string>{
                                 "⚠️ Failed to initialize UserDefaults with app group: group.tesvarin.quorbel, "
                                 "falling back to standard UserDefaults"});
  EXPECT_NE(prompt.find(texts::toneText("casual")), std::string::npos);
}

}  // namespace
