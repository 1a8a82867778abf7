#include <gtest/gtest.h>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/CountTokensRequest.hpp"
#include "FirebaseVertexAI/GenerativeAIRequest.hpp"
#include "FirebaseVertexAI/ImageParts.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/JsonDecoder.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

using Endpoint = APIConfig::Service::Endpoint;
using testing::describe;
using testing::isJSON;

static_assert(GenerativeAIRequest<CountTokensRequest>);

constexpr const char* kVertexResourceName = "projects/p/locations/us-central1/publishers/google/models/gemini-2.0-flash";

// What a model named "gemini-2.0-flash" would send to generate from one
// prompt, for the service.
GenerateContentRequest generation(APIConfig::Service service, std::string resourceName) {
  return GenerateContentRequest{.model = std::move(resourceName),
                                .contents = {ModelContent({"Hi"}), ModelContent(std::string("model"), {"Hello"})},
                                .safetySettings = std::vector{SafetySetting{
                                    HarmCategory::harassment, SafetySetting::HarmBlockThreshold::blockOnlyHigh}},
                                .toolConfig = ToolConfig{FunctionCallingConfig::autoMode()},
                                .apiConfig = {service, APIConfig::Version::v1beta},
                                .apiMethod = GenerateContentRequest::APIMethod::generateContent,
                                .options = {180}};
}

CountTokensRequest counting(GenerateContentRequest request) {
  auto counted = CountTokensRequest::make("gemini-2.0-flash", std::move(request));
  EXPECT_TRUE(counted) << describe(counted ? nullptr : counted.error());
  return std::move(counted).value();
}

struct BodyCase {
  const char* name;
  std::function<CountTokensRequest()> request;
  const char* json;
};

void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }

class CountTokensBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(CountTokensBodyTest, IsExactlyThisJSON) {
  const auto body = encodeJSON(GetParam().request());
  ASSERT_TRUE(body) << describe(body.error());
  EXPECT_TRUE(isJSON(*body, GetParam().json));
}

const BodyCase kBodies[] = {
    {"VertexAISendsOnlyTheContentsNeverTheSafetySettingsOrToolConfig",
     [] { return counting(generation(APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd), kVertexResourceName)); },
     R"({"contents":[{"role":"user","parts":[{"text":"Hi"}]},{"role":"model","parts":[{"text":"Hello"}]}]})"},
    {"VertexAIWithInstructionToolsAndConfig",
     [] {
       auto request = generation(APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd), kVertexResourceName);
       request.contents = {};
       request.systemInstruction = ModelContent(std::nullopt, {"Be brief."});
       request.tools = std::vector<Tool>{Tool::fromFunctionDeclarations({})};
       request.generationConfig = GenerationConfig{.maxOutputTokens = 5};
       return counting(std::move(request));
     },
     R"({"contents":[],"systemInstruction":{"parts":[{"text":"Be brief."}]},"tools":[{"functionDeclarations":[]}],
         "generationConfig":{"maxOutputTokens":5}})"},
    {"DeveloperOnTheProductionEndpointNamesModelsAndDropsRoles",
     [] { return counting(generation(APIConfig::Service::developer(Endpoint::firebaseVertexAIProd), "projects/p/models/gemini-2.0-flash")); },
     R"({"generateContentRequest":{"model":"models/gemini-2.0-flash","contents":[{"parts":[{"text":"Hi"}]},
         {"parts":[{"text":"Hello"}]}],"safetySettings":[{"category":"HARM_CATEGORY_HARASSMENT",
         "threshold":"BLOCK_ONLY_HIGH"}],"toolConfig":{"functionCallingConfig":{"mode":"AUTO"}}}})"},
    {"DeveloperOnTheStagingEndpoint",
     [] {
       auto request = generation(APIConfig::Service::developer(Endpoint::firebaseVertexAIStaging), "projects/p/models/gemini-2.0-flash");
       request.safetySettings.reset();
       request.toolConfig.reset();
       return counting(std::move(request));
     },
     R"({"generateContentRequest":{"model":"models/gemini-2.0-flash","contents":[{"parts":[{"text":"Hi"}]},
         {"parts":[{"text":"Hello"}]}]}})"},
    {"DeveloperOnTheGenerativeLanguageEndpointKeepsTheResourceName",
     [] {
       auto request = generation(APIConfig::Service::developer(Endpoint::generativeLanguage), "models/gemini-2.0-flash");
       request.contents = {ModelContent({"Hi"})};
       request.safetySettings.reset();
       request.toolConfig.reset();
       return counting(std::move(request));
     },
     R"({"generateContentRequest":{"model":"models/gemini-2.0-flash","contents":[{"parts":[{"text":"Hi"}]}]}})"},
};

INSTANTIATE_TEST_SUITE_P(Services, CountTokensBodyTest, ::testing::ValuesIn(kBodies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CountTokensRequestTest, GoesToTheModelsCountTokensMethodWithItsOptions) {
  auto request = generation(APIConfig::Service::developer(Endpoint::firebaseVertexAIProd), "projects/p/models/gemini-2.0-flash");
  request.options = {42};
  const auto counted = counting(std::move(request));
  EXPECT_EQ(counted.modelResourceName, "projects/p/models/gemini-2.0-flash");
  EXPECT_EQ(counted.options, RequestOptions{42});
  EXPECT_EQ(counted.url()->absoluteString(),
            "https://firebasevertexai.googleapis.com/v1beta/projects/p/models/gemini-2.0-flash:countTokens");
  auto vertex = counting(generation(APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd), kVertexResourceName));
  vertex.generateContentRequest.apiConfig.version = APIConfig::Version::v1;
  EXPECT_EQ(vertex.url()->absoluteString(),
            std::string("https://firebasevertexai.googleapis.com/v1/") + kVertexResourceName + ":countTokens");
  vertex.modelResourceName = "projects/my project/models/m";
  EXPECT_FALSE(vertex.url());
}

TEST(CountTokensRequestTest, ContentsHoldingAFailedImageAreRefusedWithItsError) {
  auto request = generation(APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd), kVertexResourceName);
  request.contents.push_back(ModelContent({"And this?", platform::imaging::NSImage()}));
  const auto counted = CountTokensRequest::make("gemini-2.0-flash", std::move(request));
  ASSERT_FALSE(counted);
  const auto* error = platform::errorAs<ImageConversionError>(counted.error());
  ASSERT_NE(error, nullptr) << describe(counted.error());
  EXPECT_EQ(error->kind(), ImageConversionError::Kind::invalidUnderlyingImage);
}

struct ResponseCase {
  const char* name;
  const char* json;
  std::int64_t totalTokens;
  std::optional<std::int64_t> totalBillableCharacters;
  std::vector<ModalityTokenCount> details;
};

void PrintTo(const ResponseCase& c, std::ostream* os) { *os << c.name; }

class CountTokensResponseTest : public testing::VertexTest, public ::testing::WithParamInterface<ResponseCase> {};

TEST_P(CountTokensResponseTest, Decodes) {
  const auto& c = GetParam();
  const auto response = CountTokensResponse::decode(c.json);
  ASSERT_TRUE(response) << describe(response.error());
  EXPECT_EQ(response->totalTokens, c.totalTokens);
  EXPECT_EQ(response->totalBillableCharacters, c.totalBillableCharacters);
  EXPECT_EQ(response->promptTokensDetails, c.details);
}

const ResponseCase kResponses[] = {
    {"EmptyObject", "{}", 0, std::nullopt, {}},
    {"OnlyBillableCharacters", R"({"totalBillableCharacters":12})", 0, 12, {}},
    {"NullsAreAbsent", R"({"totalTokens":null,"totalBillableCharacters":null,"promptTokensDetails":null})", 0,
     std::nullopt, {}},
    {"Everything",
     R"({"totalTokens":31,"totalBillableCharacters":120,"promptTokensDetails":[{"modality":"TEXT","tokenCount":27},
         {"modality":"IMAGE","tokenCount":4}],"unknownKey":[]})",
     31, 120, {{ContentModality::text, 27}, {ContentModality::image, 4}}},
    {"AnUnknownModalityIsKept", R"({"totalTokens":1,"promptTokensDetails":[{"modality":"SMELL","tokenCount":1}]})", 1,
     std::nullopt, {{ContentModality("SMELL"), 1}}},
};

INSTANTIATE_TEST_SUITE_P(Bodies, CountTokensResponseTest, ::testing::ValuesIn(kResponses),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CountTokensResponseFailureTest, AValueOfTheWrongTypeIsADecodingError) {
  using platform::json::DecodingError;
  for (const char* json : {R"({"totalTokens":"31"})", R"({"totalTokens":1.5})", R"({"totalBillableCharacters":true})",
                           R"({"promptTokensDetails":{}})", R"({"promptTokensDetails":[{"modality":"TEXT","tokenCount":"3"}]})", "[]",
                           "", "{"}) {
    const auto response = CountTokensResponse::decode(json);
    ASSERT_FALSE(response) << json;
    EXPECT_NE(platform::errorAs<DecodingError>(response.error()), nullptr) << json;
  }
}

// The model's count against a loopback backend: where it goes, what it
// sends for each service, and what comes back.
class ModelCountTokensTest : public testing::ConfiguredAppTest {
 protected:
  static std::shared_ptr<GenerativeModel> model(APIConfig::Service service) {
    auto vertex = VertexAI::vertexAI(nullptr, "us-central1", {service, APIConfig::Version::v1beta});
    return *(*vertex)->generativeModel(
        "gemini-2.0-flash", {180},
        {.safetySettings = std::vector{SafetySetting{HarmCategory::harassment,
                                                     SafetySetting::HarmBlockThreshold::blockOnlyHigh}},
         .systemInstruction = ModelContent(std::string("system"), {"Be brief."})});
  }
  static Result<CountTokensResponse> count(const GenerativeModel& model, std::vector<ModelContent> contents) {
    testing::Delivered<CountTokensResponse> delivered;
    model.countTokens(std::move(contents), delivered.queue, delivered.completion());
    return delivered.wait();
  }

  test_doubles::VertexAIBackend backend;
};

TEST_F(ModelCountTokensTest, SendsEachServicesBodyAndDecodesTheCount) {
  struct Case {
    const char* name;
    APIConfig::Service service;
    std::string target;
    std::string body;
  } cases[] = {
      {"VertexAI", APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd),
       "/v1beta/projects/quorbel-sample/locations/us-central1/publishers/google/models/gemini-2.0-flash:countTokens",
       R"({"contents":[{"role":"user","parts":[{"text":"Hi"}]},{"role":"model","parts":[{"text":"Hello"}]}],
           "systemInstruction":{"parts":[{"text":"Be brief."}]}})"},
      {"Developer", APIConfig::Service::developer(Endpoint::firebaseVertexAIProd),
       "/v1beta/projects/quorbel-sample/models/gemini-2.0-flash:countTokens",
       R"({"generateContentRequest":{"model":"models/gemini-2.0-flash",
           "contents":[{"parts":[{"text":"Hi"}]},{"parts":[{"text":"Hello"}]}],
           "safetySettings":[{"category":"HARM_CATEGORY_HARASSMENT","threshold":"BLOCK_ONLY_HIGH"}],
           "systemInstruction":{"parts":[{"text":"Be brief."}]}}})"},
  };
  backend.server.reply(200, R"({"totalTokens":31,"totalBillableCharacters":120,
                                "promptTokensDetails":[{"modality":"TEXT","tokenCount":31}]})");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto counted = count(*model(c.service), {ModelContent({"Hi"}), ModelContent(std::string("model"), {"Hello"})});
    ASSERT_TRUE(counted) << describe(counted ? nullptr : counted.error());
    EXPECT_EQ(counted->totalTokens, 31);
    EXPECT_EQ(counted->totalBillableCharacters, 120);
    EXPECT_EQ(counted->promptTokensDetails, (std::vector<ModalityTokenCount>{{ContentModality::text, 31}}));
    const auto request = backend.server.requests().back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, c.target);
    EXPECT_EQ(request.header("x-goog-api-key"), test_doubles::kShippedAPIKey);
    EXPECT_TRUE(isJSON(request.body, c.body)) << request.body;
  }
}

TEST_F(ModelCountTokensTest, FailuresComeBackUnwrappedAndAFailedImageIsNeverSent) {
  backend.server.reply(429, R"({"error":{"code":429,"message":"Quota","status":"RESOURCE_EXHAUSTED"}})");
  auto refused = count(*model(APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd)), {ModelContent({"Hi"})});
  ASSERT_FALSE(refused);
  EXPECT_NE(platform::errorAs<BackendError>(refused.error()), nullptr) << describe(refused.error());
  ASSERT_EQ(backend.server.requestCount(), 1u);

  testing::Delivered<CountTokensResponse> delivered;
  model(APIConfig::Service::vertexAI(Endpoint::firebaseVertexAIProd))
      ->countTokens(std::vector<PartsRepresentable>{"And this?", platform::imaging::NSImage()}, delivered.queue,
                    delivered.completion());
  auto failed = delivered.wait();
  ASSERT_FALSE(failed);
  const auto* error = platform::errorAs<ImageConversionError>(failed.error());
  ASSERT_NE(error, nullptr) << describe(failed.error());
  EXPECT_EQ(error->kind(), ImageConversionError::Kind::invalidUnderlyingImage);
  EXPECT_EQ(backend.server.requestCount(), 1u);
}

}  // namespace
}  // namespace firebase::vertexai
