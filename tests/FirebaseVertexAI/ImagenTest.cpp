#include <gtest/gtest.h>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/ConfigurationError.hpp"
#include "FirebaseVertexAI/GenerativeAIRequest.hpp"
#include "FirebaseVertexAI/ImagenGenerationRequest.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/Base64.hpp"
#include "foundation/JsonDecoder.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

using platform::json::DecodingError;
using testing::describe;
using testing::isJSON;

static_assert(GenerativeAIRequest<ImagenGenerationRequest<ImagenInlineImage>>);
static_assert(GenerativeAIRequest<ImagenGenerationRequest<ImagenGCSImage>>);

constexpr const char* kResourceName = "projects/p/locations/us-central1/publishers/google/models/imagen-3.0-generate-002";

ImagenGenerationRequest<ImagenInlineImage> requestFor(std::string prompt, ImageGenerationParameters parameters) {
  return {.model = kResourceName,
          .apiConfig = {APIConfig::Service::vertexAI(APIConfig::Service::Endpoint::firebaseVertexAIProd),
                        APIConfig::Version::v1beta},
          .options = {180},
          .instances = {{std::move(prompt)}},
          .parameters = std::move(parameters)};
}

struct BodyCase {
  const char* name;
  std::optional<ImagenGenerationConfig> config;
  std::optional<ImagenSafetySettings> safety;
  const char* parameters;  // the JSON of "parameters"
};

void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }

class ImagenRequestBodyTest : public testing::VertexTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(ImagenRequestBodyTest, IsTheInstanceAndTheseParameters) {
  const auto& c = GetParam();
  const auto body = encodeJSON(requestFor("A lighthouse \"at dusk\"", imageGenerationParameters(c.config, c.safety)));
  ASSERT_TRUE(body) << describe(body.error());
  EXPECT_TRUE(isJSON(*body, std::string(R"({"instances":[{"prompt":"A lighthouse \"at dusk\""}],"parameters":)") +
                                c.parameters + "}"));
}

const BodyCase kBodies[] = {
    {"NoConfiguration", std::nullopt, std::nullopt, R"({"sampleCount":1,"includeRaiReason":true})"},
    {"AnEmptyConfiguration", ImagenGenerationConfig{}, ImagenSafetySettings{},
     R"({"sampleCount":1,"includeRaiReason":true})"},
    {"JPEGWithAQuality", ImagenGenerationConfig{.imageFormat = ImagenImageFormat::jpeg(75)}, std::nullopt,
     R"({"sampleCount":1,"outputOptions":{"mimeType":"image/jpeg","compressionQuality":75},"includeRaiReason":true})"},
    {"PNG", ImagenGenerationConfig{.imageFormat = ImagenImageFormat::png()}, std::nullopt,
     R"({"sampleCount":1,"outputOptions":{"mimeType":"image/png"},"includeRaiReason":true})"},
    {"EverySetting",
     ImagenGenerationConfig{.negativePrompt = "people",
                            .numberOfImages = 4,
                            .aspectRatio = ImagenAspectRatio::landscape16x9,
                            .imageFormat = ImagenImageFormat::jpeg(),
                            .addWatermark = false},
     ImagenSafetySettings{ImagenSafetyFilterLevel::blockOnlyHigh, ImagenPersonFilterLevel::blockAll},
     R"({"sampleCount":4,"negativePrompt":"people","aspectRatio":"16:9","safetySetting":"block_only_high",
         "personGeneration":"dont_allow","outputOptions":{"mimeType":"image/jpeg"},"addWatermark":false,
         "includeRaiReason":true})"},
    {"OnlyAPersonFilter", std::nullopt, ImagenSafetySettings{.personFilterLevel = ImagenPersonFilterLevel::allowAdult},
     R"({"sampleCount":1,"personGeneration":"allow_adult","includeRaiReason":true})"},
};

INSTANTIATE_TEST_SUITE_P(Configurations, ImagenRequestBodyTest, ::testing::ValuesIn(kBodies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImagenRequestTest, AStorageURIIsSentUnderItsWireKey) {
  const auto body = encodeJSON(requestFor("p", {.storageURI = "gs://bucket/out"}));
  EXPECT_TRUE(isJSON(body.value(), R"({"instances":[{"prompt":"p"}],"parameters":{"storageUri":"gs://bucket/out"}})"));
}

TEST(ImagenRequestTest, GoesToThePredictMethod) {
  auto request = requestFor("p", {});
  EXPECT_EQ(request.url()->absoluteString(),
            std::string("https://firebasevertexai.googleapis.com/v1beta/") + kResourceName + ":predict");
  request.model = "projects/p#x/models/imagen";
  EXPECT_FALSE(request.url());
}

class ImagenFormatTest : public testing::VertexTest {};

TEST_F(ImagenFormatTest, AJPEGQualityOutOfRangeIsWarnedAboutAndKept) {
  EXPECT_EQ(ImagenImageFormat::jpeg(150).compressionQuality, 150);
  EXPECT_EQ(ImagenImageFormat::jpeg(-1).compressionQuality, -1);
  for (const std::int64_t quality : {0, 100}) EXPECT_EQ(ImagenImageFormat::jpeg(quality).compressionQuality, quality);
  EXPECT_EQ(ImagenImageFormat::jpeg(), (ImagenImageFormat{"image/jpeg", std::nullopt}));
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::invalidImagenCompressionQuality),
            (std::vector<std::string>{
                "Invalid JPEG compression quality of 150 specified; the supported range is [0, 100].",
                "Invalid JPEG compression quality of -1 specified; the supported range is [0, 100]."}));
}

std::string inlineImage(std::string_view mimeType, std::string_view base64) {
  return R"({"mimeType":")" + std::string(mimeType) + R"(","bytesBase64Encoded":")" + std::string(base64) + "\"}";
}

std::string predictions(const std::vector<std::string>& elements) {
  std::string json = R"({"predictions":[)";
  for (std::size_t i = 0; i < elements.size(); ++i) json += (i ? "," : "") + elements[i];
  return json + "]}";
}

class ImagenResponseTest : public testing::VertexTest {};

TEST_F(ImagenResponseTest, InlineImagesComeWithTheFilterReasons) {
  const auto response = ImagenGenerationResponse<ImagenInlineImage>::decode(predictions(
      {inlineImage("image/png", "iVBO"), R"({"raiFilteredReason":"One image was filtered."})",
       inlineImage("image/jpeg", "")}));
  ASSERT_TRUE(response) << describe(response.error());
  EXPECT_EQ(response->images, (std::vector<ImagenInlineImage>{{"image/png", {0x89, 0x50, 0x4E}}, {"image/jpeg", {}}}));
  EXPECT_EQ(response->filteredReason, "One image was filtered.");
}

TEST_F(ImagenResponseTest, StorageImagesAndNoReasons) {
  const auto response = ImagenGenerationResponse<ImagenGCSImage>::decode(
      predictions({R"({"mimeType":"image/png","gcsUri":"gs://b/1.png","extra":1})"}));
  ASSERT_TRUE(response) << describe(response.error());
  EXPECT_EQ(response->images, (std::vector<ImagenGCSImage>{{"image/png", "gs://b/1.png"}}));
  EXPECT_FALSE(response->filteredReason);
}

TEST_F(ImagenResponseTest, AnUnsupportedPredictionIsSkippedWithAWarning) {
  const auto response = ImagenGenerationResponse<ImagenGCSImage>::decode(predictions(
      {inlineImage("image/png", "AAAA"), R"({"raiFilteredReason":7})", R"({"mimeType":"image/png","gcsUri":"gs://b"})"}));
  ASSERT_TRUE(response) << describe(response.error());
  EXPECT_EQ(response->images.size(), 1u);
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::decodedUnsupportedImagenPredictionType),
            (std::vector<std::string>{
                R"(Ignoring unsupported Imagen prediction: {"bytesBase64Encoded":"AAAA","mimeType":"image/png"})",
                R"(Ignoring unsupported Imagen prediction: {"raiFilteredReason":7})"}));
  const auto lines = loggedLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().type, platform::LogType::defaultLevel);
}

TEST_F(ImagenResponseTest, OnlyFilterReasonsAreTheBlockedError) {
  const auto response = ImagenGenerationResponse<ImagenInlineImage>::decode(
      predictions({R"({"raiFilteredReason":"first"})", "{}", R"({"raiFilteredReason":"second"})"}));
  ASSERT_FALSE(response);
  const auto* blocked = platform::errorAs<ImagenImagesBlockedError>(response.error());
  ASSERT_NE(blocked, nullptr) << describe(response.error());
  EXPECT_EQ(blocked->message(), "first\nsecond");
  EXPECT_EQ(blocked->domain(), "com.google.firebase.vertexai.Imagen");
  EXPECT_EQ(blocked->code(), 1000);
  EXPECT_EQ(blocked->localizedDescription(), "first\nsecond");
}

// A reason holding what a terminal would obey is shown without it.
TEST_F(ImagenResponseTest, AReasonsControlCharactersNeverReachItsText) {
  const auto response = ImagenGenerationResponse<ImagenInlineImage>::decode(
      predictions({R"({"raiFilteredReason":"\u007f\u001b]0;owned\u0007x"})", R"({"raiFilteredReason":"\u009b2J"})"}));
  ASSERT_FALSE(response);
  EXPECT_EQ(response.error()->localizedDescription(), "\uFFFD\uFFFD]0;owned\uFFFDx\n\uFFFD2J");
}

TEST_F(ImagenResponseTest, TenThousandImagesAllArrive) {
  std::vector<std::string> elements;
  for (int i = 0; i < 10000; ++i) {
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 0xD8};
    elements.push_back(inlineImage("image/png", platform::base64::encode(bytes)));
  }
  const auto response = ImagenGenerationResponse<ImagenInlineImage>::decode(predictions(elements));
  ASSERT_TRUE(response) << describe(response.error());
  ASSERT_EQ(response->images.size(), 10000u);
  EXPECT_EQ(response->images[9999].data, (Bytes{0x0F, 0x27, 0xD8}));
}

struct FailureCase {
  const char* name;
  std::string json;
  DecodingError::Kind kind;
  std::vector<std::string> path;
  const char* description;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ImagenResponseFailureTest : public testing::VertexTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ImagenResponseFailureTest, IsAClearDecodingError) {
  const auto& c = GetParam();
  const auto response = ImagenGenerationResponse<ImagenInlineImage>::decode(c.json);
  ASSERT_FALSE(response);
  const auto* error = platform::errorAs<DecodingError>(response.error());
  ASSERT_NE(error, nullptr) << describe(response.error());
  EXPECT_EQ(error->kind(), c.kind) << error->debugDescription();
  EXPECT_EQ(error->codingPath(), c.path) << error->debugDescription();
  EXPECT_EQ(error->description(), c.description);
}

const FailureCase kFailures[] = {
    {"ImageBytesThatAreNotBase64",
     predictions({inlineImage("image/png", "AAAA"), R"({"raiFilteredReason":"r"})", inlineImage("image/png", "@@@=")}),
     DecodingError::Kind::dataCorrupted, {"predictions", "Index 2", "bytesBase64Encoded"},
     "Failed to decode data from base64-encoded string."},
    // The server's string stays out of the error: controls, escapes, bidi overrides, line breaks.
    {"ImageBytesWithControlsNotBase64",
     predictions({inlineImage("image/png", "iVBOR\x7f" R"(0KGgo=\u001b[2J\u009b\u202e\r\n)")}),
     DecodingError::Kind::dataCorrupted, {"predictions", "Index 0", "bytesBase64Encoded"},
     "Failed to decode data from base64-encoded string."},
    {"ImageBytesNotAString", predictions({R"({"mimeType":"image/png","bytesBase64Encoded":12})"}),
     DecodingError::Kind::typeMismatch, {"predictions", "Index 0", "bytesBase64Encoded"},
     "Expected to decode String but found a number instead."},
    {"ImageTypeNull", predictions({R"({"mimeType":null,"bytesBase64Encoded":""})"}), DecodingError::Kind::valueNotFound,
     {"predictions", "Index 0", "mimeType"}, "Expected String value but found null instead."},
    {"NoPredictions", "{}", DecodingError::Kind::keyNotFound, {}, "No value associated with key \"predictions\"."},
    {"PredictionsNotAList", R"({"predictions":{}})", DecodingError::Kind::typeMismatch, {"predictions"},
     "Expected to decode Array<Any> but found a dictionary instead."},
    {"EmptyPredictions", predictions({}), DecodingError::Kind::dataCorrupted, {"predictions"},
     "No images or filtered reasons in response."},
    {"OnlyUnsupportedPredictionsLeaveNothing", predictions({"{}"}), DecodingError::Kind::dataCorrupted, {"predictions"},
     "No images or filtered reasons in response."},
    {"APredictionThatIsNoObject", predictions({inlineImage("image/png", ""), "\"image\""}),
     DecodingError::Kind::dataCorrupted, {"predictions", "Index 1"}, "Failed to decode Prediction."},
    {"NotJSON", "<html>", DecodingError::Kind::dataCorrupted, {}, "The given data was not valid JSON."},
};

INSTANTIATE_TEST_SUITE_P(Bodies, ImagenResponseFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// The image model against a loopback backend.
class ImagenModelTest : public testing::ConfiguredAppTest {
 protected:
  static std::shared_ptr<VertexAI> vertex() { return *VertexAI::vertexAI(nullptr, "us-central1"); }
  static Result<ImagenGenerationResponse<ImagenInlineImage>> generate(const ImagenModel& model) {
    testing::Delivered<ImagenGenerationResponse<ImagenInlineImage>> delivered;
    model.generateImages("A lighthouse at dusk", delivered.queue, delivered.completion());
    return delivered.wait();
  }

  test_doubles::VertexAIBackend backend;
};

TEST_F(ImagenModelTest, SendsThePromptWithTheModelsSettingsAndReturnsTheImages) {
  backend.server.reply(200, predictions({inlineImage("image/png", "iVBO"), R"({"raiFilteredReason":"One was filtered."})",
                                         inlineImage("image/png", "AQID")}));
  auto model = vertex()->imagenModel(
      "imagen-3.0-generate-002", {180},
      ImagenGenerationConfig{.numberOfImages = 3, .aspectRatio = ImagenAspectRatio::landscape16x9,
                             .imageFormat = ImagenImageFormat::png()},
      ImagenSafetySettings{.personFilterLevel = ImagenPersonFilterLevel::blockAll});
  ASSERT_TRUE(model) << describe(model ? nullptr : model.error());
  auto response = generate(**model);
  ASSERT_TRUE(response) << describe(response ? nullptr : response.error());
  EXPECT_EQ(response->images, (std::vector<ImagenInlineImage>{{"image/png", {0x89, 0x50, 0x4E}}, {"image/png", {1, 2, 3}}}));
  EXPECT_EQ(response->filteredReason, "One was filtered.");
  const auto request = backend.server.requests().back();
  EXPECT_EQ(request.target,
            "/v1beta/projects/quorbel-sample/locations/us-central1/publishers/google/models/"
            "imagen-3.0-generate-002:predict");
  EXPECT_EQ(request.header("x-goog-api-key"), test_doubles::kShippedAPIKey);
  EXPECT_TRUE(isJSON(request.body, R"({"instances":[{"prompt":"A lighthouse at dusk"}],
      "parameters":{"sampleCount":3,"aspectRatio":"16:9","personGeneration":"dont_allow",
                    "outputOptions":{"mimeType":"image/png"},"includeRaiReason":true}})"))
      << request.body;
  EXPECT_TRUE(messagesWithCode(VertexLogMessageCode::unsupportedImagenModel).empty());
}

TEST_F(ImagenModelTest, FailuresComeBackAsTheyAre) {
  auto model = *vertex()->imagenModel("imagen-3.0-generate-002", {180});
  struct Case {
    const char* name;
    int status;
    std::string body;
    std::function<void(const platform::ErrorPtr&)> check;
  } cases[] = {
      {"AllFiltered", 200, predictions({R"({"raiFilteredReason":"first"})", R"({"raiFilteredReason":"second"})"}),
       [](const platform::ErrorPtr& error) {
         const auto* blocked = platform::errorAs<ImagenImagesBlockedError>(error);
         ASSERT_NE(blocked, nullptr) << describe(error);
         EXPECT_EQ(blocked->localizedDescription(), "first\nsecond");
       }},
      {"InvalidBase64", 200, predictions({inlineImage("image/png", "AAAA"), inlineImage("image/png", "not base64!")}),
       [](const platform::ErrorPtr& error) {
         const auto* decoding = platform::errorAs<DecodingError>(error);
         ASSERT_NE(decoding, nullptr) << describe(error);
         EXPECT_EQ(decoding->codingPath(), (std::vector<std::string>{"predictions", "Index 1", "bytesBase64Encoded"}));
       }},
      {"BackendError", 400, R"({"error":{"code":400,"message":"Bad prompt","status":"INVALID_ARGUMENT"}})",
       [](const platform::ErrorPtr& error) { EXPECT_NE(platform::errorAs<BackendError>(error), nullptr) << describe(error); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    backend.server.reply(c.status, c.body);
    auto response = generate(*model);
    ASSERT_FALSE(response);
    c.check(response.error());
  }
  EXPECT_TRUE(isJSON(backend.server.requests().back().body,
                     R"({"instances":[{"prompt":"A lighthouse at dusk"}],"parameters":{"sampleCount":1,"includeRaiReason":true}})"));
}

TEST_F(ImagenModelTest, ImagesWrittenToStorageComeBackAsTheirURIs) {
  backend.server.reply(200, predictions({R"({"mimeType":"image/png","gcsUri":"gs://bucket/1.png"})",
                                         R"({"raiFilteredReason":"One was filtered."})"}));
  auto model = *vertex()->imagenModel("imagen-3.0-generate-002", {180});
  ImagenGenerationRequest<ImagenGCSImage> request{.model = model->modelResourceName(),
                                                  .apiConfig = model->apiConfig(),
                                                  .options = model->requestOptions(),
                                                  .instances = {{"A lighthouse"}},
                                                  .parameters = {.storageURI = "gs://bucket/"}};
  testing::Delivered<ImagenGenerationResponse<ImagenGCSImage>> delivered;
  model->generativeAIService().performRequest(request, delivered.queue, delivered.completion());
  auto response = delivered.wait();
  ASSERT_TRUE(response) << describe(response ? nullptr : response.error());
  EXPECT_EQ(response->images, (std::vector<ImagenGCSImage>{{"image/png", "gs://bucket/1.png"}}));
  EXPECT_EQ(response->filteredReason, "One was filtered.");
  EXPECT_TRUE(isJSON(backend.server.requests().back().body,
                     R"({"instances":[{"prompt":"A lighthouse"}],"parameters":{"storageUri":"gs://bucket/"}})"));
}

TEST_F(ImagenModelTest, ANameWithoutTheImagenPrefixIsOnlyWarnedAboutAndABadNameIsRefused) {
  auto model = vertex()->imagenModel("gemini-2.0-flash", {180});
  ASSERT_TRUE(model);
  EXPECT_EQ((*model)->modelResourceName(),
            "projects/quorbel-sample/locations/us-central1/publishers/google/models/gemini-2.0-flash");
  const auto warnings = messagesWithCode(VertexLogMessageCode::unsupportedImagenModel);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "Unsupported Imagen model \"gemini-2.0-flash\"; see " +
                             std::string(ConfigurationError::supportedModelsLink()) +
                             " for a list supported Imagen model names.");
  for (const char* name : {"", "imagen/3", "imagen-3?x", "imagen 3"}) {
    auto refused = vertex()->imagenModel(name, {180});
    ASSERT_FALSE(refused) << name;
    const auto* error = platform::errorAs<ConfigurationError>(refused.error());
    ASSERT_NE(error, nullptr) << name;
    EXPECT_EQ(error->kind(), ConfigurationError::Kind::invalidModelName);
  }
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

}  // namespace
}  // namespace firebase::vertexai
