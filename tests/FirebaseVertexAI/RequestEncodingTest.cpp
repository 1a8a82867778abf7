#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "FirebaseVertexAI/FunctionCalling.hpp"
#include "FirebaseVertexAI/GenerateContentRequest.hpp"
#include "FirebaseVertexAI/GenerationConfig.hpp"
#include "FirebaseVertexAI/GenerativeAIRequest.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "FirebaseVertexAI/Safety.hpp"
#include "FirebaseVertexAI/Schema.hpp"
#include "VertexTestSupport.hpp"

namespace firebase::vertexai {
namespace {

using testing::describe;
using testing::isJSON;
using Encoded = std::expected<std::string, platform::ErrorPtr>;

static_assert(GenerativeAIRequest<GenerateContentRequest>);

const APIConfig kVertexBeta{APIConfig::Service::vertexAI(APIConfig::Service::Endpoint::firebaseVertexAIProd),
                            APIConfig::Version::v1beta};

GenerateContentRequest makeRequest(std::vector<ModelContent> contents,
                                   GenerateContentRequest::APIMethod method =
                                       GenerateContentRequest::APIMethod::generateContent) {
  return GenerateContentRequest{.model = "projects/p/locations/us-central1/publishers/google/models/gemini-2.0-flash-lite",
                                .contents = std::move(contents),
                                .apiConfig = kVertexBeta,
                                .apiMethod = method,
                                .options = {180}};
}

struct EncodingCase {
  const char* name;
  std::function<Encoded()> encode;
  const char* json;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

class RequestEncodingTest : public testing::VertexTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(RequestEncodingTest, WritesExactlyThisJSON) {
  const auto encoded = GetParam().encode();
  ASSERT_TRUE(encoded) << describe(encoded.error());
  EXPECT_TRUE(isJSON(*encoded, GetParam().json));
}

SchemaPtr objectOfThree() {
  return Schema::object({{"b", Schema::string()}, {"a", Schema::boolean()}, {"c", Schema::integer()}}, {"c"});
}

const EncodingCase kEncodingCases[] = {
    {"TextPromptIsOneUserContent", [] { return encodeJSON(ModelContent({"Hello"})); },
     R"({"role":"user","parts":[{"text":"Hello"}]})"},
    {"EmptyPromptStillHasOneTextPart", [] { return encodeJSON(ModelContent({""})); },
     R"({"role":"user","parts":[{"text":""}]})"},
    {"ContentWithoutRoleHasNoRoleKey", [] { return encodeJSON(ModelContent(std::nullopt, {"a"})); },
     R"({"parts":[{"text":"a"}]})"},
    {"ContentWithoutPartsWritesAnEmptyList", [] { return encodeJSON(ModelContent(std::string("model"), {})); },
     R"({"role":"model","parts":[]})"},
    {"PartsKeepTheirOrderAndKinds",
     [] {
       return encodeJSON(ModelContent({"look", InlineDataPart(Bytes{'f', 'o', 'o'}, "image/png"),
                                       FileDataPart("gs://b/f.pdf", "application/pdf"),
                                       FunctionCallPart("f", {}),
                                       FunctionResponsePart("f", {{"ok", JSONValue::boolean(true)}})}));
     },
     R"({"role":"user","parts":[{"text":"look"},{"inlineData":{"mimeType":"image/png","data":"Zm9v"}},
         {"fileData":{"fileUri":"gs://b/f.pdf","mimeType":"application/pdf"}},
         {"functionCall":{"name":"f","args":{}}},{"functionResponse":{"name":"f","response":{"ok":true}}}]})"},
    {"EmptyInlineBytesAreAnEmptyString", [] { return encodeJSON(Part(InlineDataPart(Bytes{}, "a/b"))); },
     R"({"inlineData":{"mimeType":"a/b","data":""}})"},
    {"JSONNumbersKeepTheirShortestForm",
     [] {
       return encodeJSON(JSONValue::array({JSONValue::number(3), JSONValue::number(2.5), JSONValue::number(-0.1),
                                           JSONValue::null(), JSONValue::string("s"),
                                           JSONValue::object({{"k", JSONValue::array({})}})}));
     },
     R"([3,2.5,-0.1,null,"s",{"k":[]}])"},
    {"GenerationConfigWithNothingSetIsEmpty", [] { return encodeJSON(GenerationConfig{}); }, "{}"},
    {"GenerationConfigWithOnlyMaxTokens", [] { return encodeJSON(GenerationConfig{.maxOutputTokens = 2048}); },
     R"({"maxOutputTokens":2048})"},
    {"GenerationConfigSendsValuesUnchecked",
     [] {
       return encodeJSON(GenerationConfig{.temperature = 3.5f,
                                          .topP = 0.5f,
                                          .topK = -1,
                                          .candidateCount = 2,
                                          .presencePenalty = 0.25f,
                                          .frequencyPenalty = -0.75f,
                                          .stopSequences = std::vector<std::string>{},
                                          .responseMIMEType = "application/json",
                                          .responseSchema = Schema::boolean(),
                                          .responseModalities = std::vector{ResponseModality::text,
                                                                            ResponseModality::image}});
     },
     R"({"temperature":3.5,"topP":0.5,"topK":-1,"candidateCount":2,"presencePenalty":0.25,
         "frequencyPenalty":-0.75,"stopSequences":[],"responseMimeType":"application/json",
         "responseSchema":{"type":"BOOLEAN","nullable":false},"responseModalities":["TEXT","IMAGE"]})"},
    {"SafetySettingWithoutMethod",
     [] {
       return encodeJSON(SafetySetting{HarmCategory::dangerousContent, SafetySetting::HarmBlockThreshold::blockOnlyHigh});
     },
     R"({"category":"HARM_CATEGORY_DANGEROUS_CONTENT","threshold":"BLOCK_ONLY_HIGH"})"},
    {"SafetySettingWithMethodAndAnUnknownCategory",
     [] {
       return encodeJSON(SafetySetting{HarmCategory("HARM_CATEGORY_NEW"), SafetySetting::HarmBlockThreshold::off,
                                       SafetySetting::HarmBlockMethod::probability});
     },
     R"({"category":"HARM_CATEGORY_NEW","threshold":"OFF","method":"PROBABILITY"})"},
    {"DeclarationWithOneRequiredParameter",
     [] { return encodeJSON(FunctionDeclaration("f", "does f", {{"city", Schema::string()}})); },
     R"({"name":"f","description":"does f","parameters":{"type":"OBJECT","nullable":false,
         "properties":{"city":{"type":"STRING","nullable":false}},"required":["city"]}})"},
    {"DeclarationWhoseParametersAreAllOptional",
     [] { return encodeJSON(FunctionDeclaration("", "", {{"x", Schema::float64()}}, {"x"})); },
     R"({"name":"","description":"","parameters":{"type":"OBJECT","nullable":false,
         "properties":{"x":{"type":"NUMBER","nullable":false}},"required":[]}})"},
    {"ToolWithNoDeclarations", [] { return encodeJSON(Tool::fromFunctionDeclarations({})); },
     R"({"functionDeclarations":[]})"},
    {"AnyModeWithoutNames", [] { return encodeJSON(FunctionCallingConfig::anyMode()); }, R"({"mode":"ANY"})"},
    {"AnyModeWithNames", [] { return encodeJSON(FunctionCallingConfig::anyMode(std::vector<std::string>{"b", "a"})); },
     R"({"mode":"ANY","allowedFunctionNames":["b","a"]})"},
    {"AutoMode", [] { return encodeJSON(FunctionCallingConfig::autoMode()); }, R"({"mode":"AUTO"})"},
    {"NoneModeInAToolConfig", [] { return encodeJSON(ToolConfig{FunctionCallingConfig::noneMode()}); },
     R"({"functionCallingConfig":{"mode":"NONE"}})"},
    {"EmptyToolConfig", [] { return encodeJSON(ToolConfig{}); }, "{}"},
    {"StringSchemaHasTypeAndNullable", [] { return encodeJSON(Schema::string()); },
     R"({"type":"STRING","nullable":false})"},
    {"EnumerationSchemaKeepsItsOrder",
     [] { return encodeJSON(Schema::enumeration({"b", "a"}, std::nullopt, true)); },
     R"({"type":"STRING","format":"enum","nullable":true,"enum":["b","a"]})"},
    {"FloatSchemaHasAFormat", [] { return encodeJSON(Schema::float32(std::nullopt, false, 0.5f)); },
     R"({"type":"NUMBER","format":"float","nullable":false,"minimum":0.5})"},
    {"DoubleSchemaHasNone", [] { return encodeJSON(Schema::float64("d", false, 0.5)); },
     R"({"type":"NUMBER","description":"d","nullable":false,"minimum":0.5})"},
    {"IntegerSchemaBoundsAreNumbers",
     [] { return encodeJSON(Schema::integer(std::nullopt, false, Schema::IntegerFormat::int64, 1, 9)); },
     R"({"type":"INTEGER","format":"int64","nullable":false,"minimum":1,"maximum":9})"},
    {"ObjectSchemaRequiresTheOthersSorted",
     [] { return encodeJSON(Schema::object(objectOfThree()->properties().value(), {"c"}, {{"c", "a"}}, "o", "T")); },
     R"({"type":"OBJECT","description":"o","title":"T","nullable":false,
         "properties":{"a":{"type":"BOOLEAN","nullable":false},"b":{"type":"STRING","nullable":false},
                       "c":{"type":"INTEGER","nullable":false}},"required":["a","b"],"propertyOrdering":["c","a"]})"},
    {"CustomFormatsAreWrittenAsGiven",
     [] {
       return encodeJSON(Schema::array(Schema::string("an address", true, Schema::StringFormat::custom("email")),
                                       std::nullopt, false, std::nullopt, 3));
     },
     R"({"type":"ARRAY","nullable":false,"items":{"type":"STRING","format":"email","description":"an address",
         "nullable":true},"maxItems":3})"},
    {"IntegerSchemaWithACustomFormat",
     [] { return encodeJSON(Schema::integer(std::nullopt, true, Schema::IntegerFormat::custom("uint8"))); },
     R"({"type":"INTEGER","format":"uint8","nullable":true})"},
    {"EmptyAnyOfHasOnlyItsList", [] { return encodeJSON(Schema::anyOf({})); }, R"({"anyOf":[]})"},
    {"ArrayOfAnObject", [] { return encodeJSON(Schema::array(objectOfThree(), std::nullopt, false, 1)); },
     R"({"type":"ARRAY","nullable":false,"minItems":1,"items":{"type":"OBJECT","nullable":false,
         "properties":{"a":{"type":"BOOLEAN","nullable":false},"b":{"type":"STRING","nullable":false},
                       "c":{"type":"INTEGER","nullable":false}},"required":["a","b"]}})"},
    {"GenerateRequestHasOnlyItsContents", [] { return encodeJSON(makeRequest({ModelContent({"Hi"})})); },
     R"({"contents":[{"role":"user","parts":[{"text":"Hi"}]}]})"},
    {"CountTokensRequestNamesItsModel",
     [] { return encodeJSON(makeRequest({}, GenerateContentRequest::APIMethod::countTokens)); },
     R"({"model":"projects/p/locations/us-central1/publishers/google/models/gemini-2.0-flash-lite","contents":[]})"},
    {"RequestWithEverySetting",
     [] {
       auto request = makeRequest({ModelContent({"Hi"})}, GenerateContentRequest::APIMethod::streamGenerateContent);
       request.generationConfig = GenerationConfig{.temperature = 0.7f};
       request.safetySettings = std::vector<SafetySetting>{};
       request.tools = std::vector<Tool>{Tool{}};
       request.toolConfig = ToolConfig{};
       request.systemInstruction = ModelContent(std::nullopt, {"Be brief."});
       return encodeJSON(request);
     },
     R"({"contents":[{"role":"user","parts":[{"text":"Hi"}]}],"generationConfig":{"temperature":0.7},
         "safetySettings":[],"tools":[{}],"toolConfig":{},"systemInstruction":{"parts":[{"text":"Be brief."}]}})"},
};

INSTANTIATE_TEST_SUITE_P(Values, RequestEncodingTest, ::testing::ValuesIn(kEncodingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RequestURLTest, FollowsTheVersionAndTheMethod) {
  auto request = makeRequest({});
  const std::string base = "https://firebasevertexai.googleapis.com/";
  const std::string model = "projects/p/locations/us-central1/publishers/google/models/gemini-2.0-flash-lite";
  EXPECT_EQ(request.url()->absoluteString(), base + "v1beta/" + model + ":generateContent");
  request.apiConfig.version = APIConfig::Version::v1;
  EXPECT_EQ(request.url()->absoluteString(), base + "v1/" + model + ":generateContent");
  request.apiMethod = GenerateContentRequest::APIMethod::streamGenerateContent;
  EXPECT_EQ(request.url()->absoluteString(), base + "v1/" + model + ":streamGenerateContent?alt=sse");
  request.apiConfig.service = APIConfig::Service::developer(APIConfig::Service::Endpoint::generativeLanguage);
  request.model = "models/gemini-2.0-flash-lite";
  EXPECT_EQ(request.url()->absoluteString(),
            "https://generativelanguage.googleapis.com/v1/models/gemini-2.0-flash-lite:streamGenerateContent?alt=sse");
}

TEST(RequestURLTest, AResourceNameThatIsNoURLPathIsAFailedCall) {
  for (const char* project : {"my project", "p?x=1", "p#frag", "pr\xC3\xB6ject", "p%zz", "p\n"}) {
    auto request = makeRequest({});
    request.model = std::string("projects/") + project + "/locations/us-central1/publishers/google/models/m";
    const auto url = request.url();
    ASSERT_FALSE(url) << project;
    EXPECT_EQ(url.error()->domain(), "NSURLErrorDomain");
    EXPECT_EQ(url.error()->code(), platform::URLErrorBadURL);
    EXPECT_NE(url.error()->localizedDescription().find("does not form a valid URL"), std::string::npos);
  }
  auto escaped = makeRequest({});
  escaped.model = "projects/p%20q/models/m";
  EXPECT_TRUE(escaped.url());
}

TEST(RequestURLTest, ACountTokensRequestHasNoURLOfItsOwn) {
  const auto url = makeRequest({}, GenerateContentRequest::APIMethod::countTokens).url();
  ASSERT_FALSE(url);
  EXPECT_EQ(url.error()->localizedDescription(), "GenerateContentRequest should be a property of CountTokensRequest.");
}

struct RefusedCase {
  const char* name;
  std::function<Encoded()> encode;
  const char* reason;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class UnencodableValueTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(UnencodableValueTest, IsAnEncodingErrorSayingWhere) {
  const auto encoded = GetParam().encode();
  ASSERT_FALSE(encoded);
  EXPECT_EQ(encoded.error()->domain(), "NSCocoaErrorDomain");
  EXPECT_EQ(encoded.error()->code(), 4866);
  EXPECT_NE(encoded.error()->debugDescription().find(GetParam().reason), std::string::npos) << describe(encoded.error());
}

const RefusedCase kRefusedCases[] = {
    {"TextThatIsNotUTF8",
     [] { return encodeJSON(makeRequest({ModelContent({"ok", std::string("bad \xFF byte")})})); },
     "the string is not valid UTF-8 (at contents[0].parts[1].text)"},
    {"TemperatureThatIsNotFinite",
     [] {
       auto request = makeRequest({});
       request.generationConfig = GenerationConfig{.temperature = NAN};
       return encodeJSON(request);
     },
     "generationConfig.temperature"},
    {"InfiniteJSONNumber", [] { return encodeJSON(JSONValue::number(INFINITY)); }, "Unable to encode inf"},
    {"AnErrorPart",
     [] {
       return encodeJSON(ModelContent({"a", ErrorPart(platform::makeError("test", 1, "no image"))}));
     },
     "Encoding an ErrorPart is not supported. (at parts[1])"},
    {"SchemaNestedBeyondWhatReadersAccept",
     [] {
       SchemaPtr schema = Schema::boolean();
       for (int i = 0; i < 100000; ++i) schema = Schema::array(schema);
       return encodeJSON(schema);
     },
     "nests deeper"},
    {"ObjectSchemaWithANullProperty", [] { return encodeJSON(Schema::object({{"a", nullptr}})); },
     "a schema is missing (a null pointer) (at properties.a)"},
    {"ArraySchemaWithNullItems", [] { return encodeJSON(Schema::array(nullptr)); },
     "a schema is missing (a null pointer) (at items)"},
    {"AnyOfWithANullSchema", [] { return encodeJSON(Schema::anyOf({Schema::string(), nullptr})); },
     "a schema is missing (a null pointer) (at anyOf[1])"},
};

INSTANTIATE_TEST_SUITE_P(Values, UnencodableValueTest, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RequestEncodingLimitsTest, AFiftyMegabyteTextPartEncodes) {
  const std::string text(50 * 1024 * 1024, 'x');
  const auto encoded = encodeJSON(makeRequest({ModelContent({text})}));
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->size(), text.size() + std::string(R"({"contents":[{"role":"user","parts":[{"text":""}]}]})").size());
}

TEST(SchemaTest, AnOptionalPropertyThatIsNotAPropertyIsRefused) {
  try {
    Schema::object({{"a", Schema::string()}}, {"a", "zip"});
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Optional property \"zip\" not defined in object properties.");
  }
  EXPECT_THROW(FunctionDeclaration("f", "", {}, {"x"}), std::invalid_argument);
  EXPECT_EQ(Schema::object({{"a", Schema::string()}}, {"a", "a"})->requiredProperties(), std::vector<std::string>{});
}

class SchemaLoggingTest : public testing::VertexTest {};

TEST_F(SchemaLoggingTest, AnEmptyAnyOfIsLoggedOnceAndHasNoType) {
  const auto schema = Schema::anyOf({});
  EXPECT_EQ(schema->type(), "UNSPECIFIED");
  EXPECT_FALSE(schema->nullable());
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::invalidSchemaAnyOfEmpty),
            std::vector<std::string>{"The `anyOf` schemas array cannot be empty."});
  Schema::anyOf({Schema::string()});
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::invalidSchemaAnyOfEmpty).size(), 1u);
}

}  // namespace
}  // namespace firebase::vertexai
