// The entry point: the shared instances, the configuration it refuses, the
// models it makes and their resource names.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "FirebaseVertexAI/ConfigurationError.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIROptions.hpp"
#include "foundation/Bundle.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

using Endpoint = APIConfig::Service::Endpoint;

class VertexAITest : public testing::ConfiguredAppTest {
 protected:

  static std::shared_ptr<VertexAI> defaultInstance() {
    auto vertex = VertexAI::vertexAI(nullptr, "us-central1");
    EXPECT_TRUE(vertex) << testing::describe(vertex ? nullptr : vertex.error());
    return vertex ? *vertex : nullptr;
  }

  static FIROptions shippedOptions() { return FIRApp::defaultApp()->options(); }
};

bool isConfigurationError(const platform::ErrorPtr& error, ConfigurationError::Kind kind) {
  const auto* own = platform::errorAs<ConfigurationError>(error);
  return own && own->kind() == kind;
}

TEST_F(VertexAITest, OneInstancePerAppLocationAndConfiguration) {
  auto first = defaultInstance();
  EXPECT_EQ(defaultInstance(), first);
  EXPECT_EQ(first->firebaseInfo().projectID, test_doubles::kShippedProjectID);
  EXPECT_EQ(first->firebaseInfo().apiKey, test_doubles::kShippedAPIKey);
  EXPECT_EQ(first->firebaseInfo().firebaseAppID, test_doubles::kShippedAppID);
  EXPECT_EQ(first->firebaseInfo().app, FIRApp::defaultApp());
  EXPECT_EQ(first->firebaseInfo().appCheck, nullptr);
  EXPECT_EQ(first->firebaseInfo().auth, nullptr);
  EXPECT_EQ(first->apiConfig(), VertexAI::defaultAPIConfig());

  FIRApp::configureWithName("second", shippedOptions());
  auto otherApp = VertexAI::vertexAI(FIRApp::appNamed("second"), "us-central1");
  auto otherLocation = VertexAI::vertexAI(nullptr, "europe-west4");
  APIConfig developer{APIConfig::Service::developer(Endpoint::firebaseVertexAIProd), APIConfig::Version::v1beta};
  auto otherService = VertexAI::vertexAI(nullptr, std::string("us-central1"), developer);
  auto noLocation = VertexAI::vertexAI(nullptr, std::nullopt, developer);
  std::set<std::shared_ptr<VertexAI>> distinct{first, *otherApp, *otherLocation, *otherService, *noLocation};
  EXPECT_EQ(distinct.size(), 5u);
  EXPECT_EQ(*VertexAI::vertexAI(nullptr, std::nullopt, developer), *noLocation);
}

TEST_F(VertexAITest, ConcurrentCallersGetOneInstancePerKey) {
  constexpr int kThreads = 8;
  const std::string locations[] = {"us-central1", "europe-west4"};
  std::map<std::string, std::set<std::shared_ptr<VertexAI>>> byLocation;
  std::mutex mutex;
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();  // all ask at once
      for (int k = 0; k < 2; ++k) {
        const auto& location = locations[(i + k) % 2];
        auto instance = VertexAI::vertexAI(nullptr, location);
        std::lock_guard lock(mutex);
        byLocation[location].insert(instance ? *instance : nullptr);
      }
    });
  for (auto& thread : threads) thread.join();
  ASSERT_EQ(byLocation.size(), 2u);
  for (const auto& [location, instances] : byLocation) {
    EXPECT_EQ(instances.size(), 1u) << location;
    EXPECT_NE(*instances.begin(), nullptr) << location;
  }
  EXPECT_NE(*byLocation["us-central1"].begin(), *byLocation["europe-west4"].begin());
}

TEST_F(VertexAITest, ConfigurationErrorsAreReturnedAndNothingIsKept) {
  test_doubles::resetApps();
  auto none = VertexAI::vertexAI(nullptr, "us-central1");
  ASSERT_FALSE(none);
  EXPECT_TRUE(isConfigurationError(none.error(), ConfigurationError::Kind::noDefaultApp));
  EXPECT_EQ(none.error()->localizedDescription(), "No instance of the default Firebase app was found.");

  struct Case {
    const char* missingKey;
    ConfigurationError::Kind kind;
    std::string message;
  } cases[] = {
      {"PROJECT_ID", ConfigurationError::Kind::noProjectID,
       "The Firebase app named \"__FIRAPP_DEFAULT\" has no project ID in its configuration."},
      {"API_KEY", ConfigurationError::Kind::noAPIKey,
       "The Firebase app named \"__FIRAPP_DEFAULT\" has no API key in its configuration."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.missingKey);
    test_doubles::configureDefaultAppWithout(c.missingKey);
    auto refused = VertexAI::vertexAI(nullptr, "us-central1");
    ASSERT_FALSE(refused);
    EXPECT_TRUE(isConfigurationError(refused.error(), c.kind));
    EXPECT_EQ(refused.error()->localizedDescription(), c.message);
  }
  // Nothing was cached for the refused app: a complete one under the same
  // name is served.
  test_doubles::configureDefaultAppFromShippedOptions();
  EXPECT_TRUE(VertexAI::vertexAI(nullptr, "us-central1"));
}

struct NameCase {
  const char* name;
  std::string modelName;
  bool accepted;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class ModelNames : public VertexAITest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ModelNames, AreAcceptedOnlyAsOnePathSegment) {
  const auto& c = GetParam();
  auto model = defaultInstance()->generativeModel(c.modelName, RequestOptions{180});
  if (c.accepted) {
    ASSERT_TRUE(model) << testing::describe(model.error());
    EXPECT_EQ((*model)->modelResourceName(),
              "projects/quorbel-sample/locations/us-central1/publishers/google/models/" + c.modelName);
    // Whatever is accepted forms the address of every request.
    EXPECT_TRUE(modelMethodURL(VertexAI::defaultAPIConfig(), (*model)->modelResourceName(), ":generateContent"));
    return;
  }
  ASSERT_FALSE(model);
  EXPECT_TRUE(isConfigurationError(model.error(), ConfigurationError::Kind::invalidModelName));
  EXPECT_EQ(model.error()->localizedDescription(),
            "Invalid model name \"" + c.modelName +
                "\" specified; see https://firebase.google.com/docs/vertex-ai/models for a list of available models.");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModelNames,
    ::testing::Values(NameCase{"Default", "gemini-2.0-flash-lite", true}, NameCase{"OtherFamily", "my-model", true},
                      NameCase{"Empty", "", false}, NameCase{"Slash", "models/gemini", false},
                      NameCase{"Blank", "gemini pro", false}, NameCase{"LineFeed", "gemini\npro", false},
                      NameCase{"NextLine", "gemini\u0085pro", false},
                      NameCase{"ParagraphSeparator", "gemini\u2029pro", false},
                      NameCase{"QuestionMark", "gemini?key=x", false}, NameCase{"Hash", "gemini#x", false},
                      NameCase{"Percent", "gemini%2F..%2Fx", false},
                      NameCase{"EveryPlainCharacter", "gemini-2.0_flash~lite.!$&'()*+,;=:@AZaz09", true},
                      NameCase{"LetterOutsideASCII", "gemini-fl\u00E4sh", false},
                      NameCase{"NoBreakSpace", "gemini\u00A0pro", false},
                      NameCase{"ControlCharacter", "gemini\x01pro", false}, NameCase{"Delete", "gemini\x7Fpro", false},
                      NameCase{"Tab", "gemini\tpro", false}, NameCase{"Quote", "gemini\"pro", false},
                      NameCase{"Backslash", "gemini\\pro", false}, NameCase{"Brace", "gemini{pro}", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VertexAITest, LocationsAndResourceNamesFollowTheService) {
  for (std::string bad : {"", "us central1", "us/central1", "us?x"}) {
    auto refused = (*VertexAI::vertexAI(nullptr, bad))->generativeModel("gemini-2.0-flash-lite", {180});
    ASSERT_FALSE(refused) << bad;
    EXPECT_TRUE(isConfigurationError(refused.error(), ConfigurationError::Kind::invalidLocation)) << bad;
    EXPECT_EQ(refused.error()->localizedDescription(),
              "Invalid location \"" + bad +
                  "\" specified; see https://firebase.google.com/docs/vertex-ai/locations for a list of available "
                  "locations.");
  }
  APIConfig vertexWithoutLocation{APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd),
                                  APIConfig::Version::v1beta};
  auto missing = (*VertexAI::vertexAI(nullptr, std::nullopt, vertexWithoutLocation))->modelResourceName("gemini-x");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error()->localizedDescription(), "Location must be specified for the Vertex AI service.");

  struct Case {
    Endpoint endpoint;
    std::string resourceName;
  } cases[] = {{Endpoint::firebaseVertexAIProd, "projects/quorbel-sample/models/gemini-x"},
               {Endpoint::firebaseVertexAIStaging, "projects/quorbel-sample/models/gemini-x"},
               {Endpoint::generativeLanguage, "models/gemini-x"}};
  for (const auto& c : cases) {
    APIConfig developer{APIConfig::Service::developer(c.endpoint), APIConfig::Version::v1};
    EXPECT_EQ(*(*VertexAI::vertexAI(nullptr, std::nullopt, developer))->modelResourceName("gemini-x"), c.resourceName);
  }
}

TEST_F(VertexAITest, ModelCreationLogsItsHintsAndKeepsTheSystemInstructionWithoutRole) {
  auto vertex = defaultInstance();
  auto model = vertex->generativeModel("gemini-2.0-flash-lite", {180},
                                       {.systemInstruction = ModelContent(std::string("system"), {"Be brief."})});
  ASSERT_TRUE(model);
  EXPECT_EQ((*model)->settings().systemInstruction->role(), std::nullopt);
  EXPECT_EQ((*model)->requestOptions(), RequestOptions{180});
  EXPECT_TRUE(messagesWithCode(VertexLogMessageCode::unsupportedGeminiModel).empty());
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::verboseLoggingDisabled),
            std::vector<std::string>{"[FirebaseVertexAI] To enable additional logging, add `-FIRDebugEnabled` as a "
                                     "launch argument in Xcode."});
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::generativeModelInitialized),
            std::vector<std::string>{"Model projects/quorbel-sample/locations/us-central1/publishers/google/models/"
                                     "gemini-2.0-flash-lite initialized."});

  auto other = vertex->generativeModel("my-model", {60});
  ASSERT_TRUE(other);
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::unsupportedGeminiModel),
            std::vector<std::string>{"Unsupported Gemini model \"my-model\"; see "
                                     "https://firebase.google.com/docs/vertex-ai/models for a list supported Gemini "
                                     "model names."});

  char program[] = "program", flag[] = "-FIRDebugEnabled";
  char* arguments[] = {program, flag};
  platform::process_info::setArguments(2, arguments);
  ASSERT_TRUE(vertex->generativeModel("gemini-x", {180}));
  platform::process_info::setArguments(1, arguments);
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::verboseLoggingEnabled),
            std::vector<std::string>{"Verbose logging enabled."});
}

TEST(APIConfig, RawValuesEqualityAndHash) {
  for (auto endpoint : {Endpoint::firebaseVertexAIProd, Endpoint::firebaseVertexAIStaging, Endpoint::generativeLanguage})
    EXPECT_EQ(endpointFromRawValue(baseAddress(endpoint)), endpoint);
  EXPECT_EQ(endpointFromRawValue("https://firebasevertexai.googleapis.com/"), std::nullopt);
  EXPECT_EQ(endpointFromRawValue("http://firebasevertexai.googleapis.com"), std::nullopt);
  EXPECT_EQ(versionFromRawValue("v1"), APIConfig::Version::v1);
  EXPECT_EQ(versionFromRawValue("v1beta"), APIConfig::Version::v1beta);
  EXPECT_EQ(versionFromRawValue("v2"), std::nullopt);

  APIConfig vertex{APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd), APIConfig::Version::v1beta};
  APIConfig developer{APIConfig::Service::developer(Endpoint::firebaseVertexAIProd), APIConfig::Version::v1beta};
  EXPECT_NE(vertex, developer);
  EXPECT_NE(std::hash<APIConfig>{}(vertex), std::hash<APIConfig>{}(developer));
  EXPECT_EQ(std::hash<APIConfig>{}(vertex), std::hash<APIConfig>{}(VertexAI::defaultAPIConfig()));
  EXPECT_EQ(RequestOptions{180}, RequestOptions{180});
  EXPECT_NE(RequestOptions{180}, RequestOptions{60});
}

TEST(APIConfig, TheBaseAddressVariableReplacesEveryEndpointOrIsRefused) {
  struct Case {
    std::optional<std::string> value;
    std::optional<std::string> base;  // absent: refused
  } cases[] = {{std::nullopt, "https://firebasevertexai.googleapis.com"},
               {"", "https://firebasevertexai.googleapis.com"},
               {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
               {"https://proxy.example/vertex", "https://proxy.example/vertex"},
               {"http://127.0.0.1:8080/", std::nullopt},
               {"ftp://127.0.0.1", std::nullopt},
               {"127.0.0.1:8080", std::nullopt},
               {"http://host/?q=1", std::nullopt},
               {"http://host#top", std::nullopt},
               {"http://", std::nullopt},
               {"http://host/a b", std::nullopt},
               {"http://host/a%zz", std::nullopt},
               {"http://host/[v1]", std::nullopt},
               {"http://host/caf\u00E9", std::nullopt},
               {"http://host\n", std::nullopt}};
  for (const auto& c : cases) {
    test_support::ScopedEnv variable(kBaseURLVariable, c.value);
    auto base = requestBaseAddress(Endpoint::firebaseVertexAIProd);
    if (c.base) {
      EXPECT_EQ(base, *c.base) << c.value.value_or("<unset>");
      continue;
    }
    ASSERT_FALSE(base) << *c.value;
    EXPECT_EQ(base.error()->code(), platform::URLErrorBadURL);
    // What a request then fails with names the variable and its value.
    auto url = modelMethodURL(VertexAI::defaultAPIConfig(), "projects/p/models/gemini-x", ":generateContent");
    ASSERT_FALSE(url) << *c.value;
    EXPECT_EQ(url.error()->localizedDescription(),
              "VERTEXAI_BASE_URL must be an http or https address without a trailing \"/\"; it is \"" + *c.value + "\".");
  }
  test_support::ScopedEnv variable(kBaseURLVariable, "http://127.0.0.1:9");
  EXPECT_EQ(*requestBaseAddress(Endpoint::generativeLanguage), "http://127.0.0.1:9");
}

// The client declares its marker class before main, so the core's first
// configuration in a process names the client in the user agent.
TEST_F(VertexAITest, TheUserAgentNamesTheClient) {
  auto marker = FIRLibraryClass::named("FIRVertexAIComponent");
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->componentsToRegister(), std::nullopt);
  EXPECT_NE(FIRApp::firebaseUserAgent().find("fire-vertex/11.12.0"), std::string::npos) << FIRApp::firebaseUserAgent();
}

}  // namespace
}  // namespace firebase::vertexai
