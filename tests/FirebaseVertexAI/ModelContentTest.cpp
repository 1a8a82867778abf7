#include <gtest/gtest.h>

#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "FirebaseVertexAI/ModelContent.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

using testing::isJSON;

ModelContent decoded(std::string_view json) {
  auto content = ModelContent::decode(json);
  EXPECT_TRUE(content) << testing::describe(content ? nullptr : content.error());
  return content ? std::move(*content) : ModelContent({});
}

TEST(ModelContentTest, DecodedPartsKeepTheirWireOrderAndEncodeBackTheSame) {
  const std::string parts =
      R"([{"text":"a"},{"inlineData":{"mimeType":"image/jpeg","data":"/9j/"}},{"fileData":{"fileUri":"gs://x",
          "mimeType":"video/mp4"}},{"functionCall":{"name":"f","args":{"n":[1,true,null,{"s":"t"}]}}},
          {"functionResponse":{"name":"f","response":{"ok":2.5}}}])";
  const auto content = decoded(R"({"role":"model","parts":)" + parts + "}");
  ASSERT_EQ(content.parts().size(), 5u);
  EXPECT_EQ(std::get<InlineDataPart>(content.parts()[1]).data(), (Bytes{0xff, 0xd8, 0xff}));
  EXPECT_EQ(std::get<FileDataPart>(content.parts()[2]).uri(), "gs://x");
  const auto rebuilt = ModelContent(std::string("model"), {PartsRepresentable(content.parts()[0]), content.parts()[1],
                                                           content.parts()[2], content.parts()[3], content.parts()[4]});
  EXPECT_EQ(rebuilt, content);
  EXPECT_TRUE(isJSON(encodeJSON(rebuilt).value(), R"({"role":"model","parts":)" + parts + "}"));
}

TEST(ModelContentTest, TheFirstPartKeyDecidesAndOtherKeysAreIgnored) {
  const auto content = decoded(R"({"parts":[{"text":"a","functionCall":{"name":"f"}},{"x":1,"fileData":
      {"fileUri":"u","mimeType":"m"}}]})");
  EXPECT_FALSE(content.role());
  EXPECT_EQ(content.parts()[0], Part(TextPart("a")));
  EXPECT_EQ(content.parts()[1], Part(FileDataPart("u", "m")));
  EXPECT_TRUE(decoded(R"({"parts":[]})").parts().empty());
}

TEST(ModelContentTest, EqualityNeedsTheSameRoleAndCanonicallyEqualParts) {
  const ModelContent user({"caf\xC3\xA9"});
  EXPECT_EQ(user, ModelContent({"cafe\xCC\x81"}));  // é precomposed and with a combining accent
  EXPECT_NE(user, ModelContent(std::nullopt, {"caf\xC3\xA9"}));
  EXPECT_NE(user, ModelContent({"cafe"}));
  EXPECT_NE(ModelContent({InlineDataPart(Bytes{1}, "a")}), ModelContent({InlineDataPart(Bytes{1, 0}, "a")}));
  EXPECT_NE(Part(FunctionCallPart("f", {})), Part(FunctionResponsePart("f", {})));
  const auto error = platform::makeError("test", 1, "conversion failed");
  EXPECT_EQ(Part(ErrorPart(error)), Part(ErrorPart(error)));
  EXPECT_NE(Part(ErrorPart(error)), Part(ErrorPart(platform::makeError("test", 1, "conversion failed"))));
}

TEST(ModelContentTest, PartsRepresentableValuesConcatenateInArgumentOrder) {
  struct TwoParts {
    std::vector<Part> partsValue() const { return {TextPart("x"), InlineDataPart(Bytes{7}, "image/jpeg")}; }
  };
  const ModelContent content({"a", std::vector<PartsRepresentable>{"b", TwoParts{}}, TextPart("c")});
  EXPECT_EQ(content.role(), "user");
  EXPECT_EQ(content.parts(), (std::vector<Part>{TextPart("a"), TextPart("b"), TextPart("x"),
                                                InlineDataPart(Bytes{7}, "image/jpeg"), TextPart("c")}));
}

TEST(ModelContentTest, RejectErrorPartsFindsTheFirstOne) {
  const auto first = platform::makeError("test", 1, "first");
  const auto second = platform::makeError("test", 2, "second");
  EXPECT_EQ(rejectErrorParts({ModelContent({"a"}), ModelContent({"b"})}), nullptr);
  EXPECT_EQ(rejectErrorParts({ModelContent({"a"}), ModelContent({"b", ErrorPart(first)}),
                              ModelContent({ErrorPart(second)})}),
            first);
}

TEST(ModelContentTest, WithUserRoleIfMissingOnlyFillsAbsentRoles) {
  const auto contents = withUserRoleIfMissing({ModelContent(std::string("model"), {"m"}), ModelContent(std::nullopt, {"u"})});
  EXPECT_EQ(contents[0], ModelContent(std::string("model"), {"m"}));
  EXPECT_EQ(contents[1], ModelContent({"u"}));
}

TEST(ModelContentTest, MergedStreamContentJoinsTextRunsAcrossContents) {
  const FunctionCallPart call("f", {});
  const auto merged =
      mergedStreamContent({ModelContent({"a"}), ModelContent(std::nullopt, {"b", call, "c"}), ModelContent({""})});
  EXPECT_EQ(merged, ModelContent(std::string("model"), {"ab", call, "c"}));
  EXPECT_EQ(mergedStreamContent({ModelContent({}), ModelContent({})}), ModelContent(std::string("model"), {}));
  EXPECT_EQ(mergedStreamContent({ModelContent({"", call, ""})}), ModelContent(std::string("model"), {call}));
}

TEST(JSONValueTest, DecodesEachKindOfValue) {
  EXPECT_EQ(JSONValue::decode("3"), JSONValue::number(3.0));
  EXPECT_TRUE(isJSON(encodeJSON(*JSONValue::decode("3")).value(), "3"));
  EXPECT_EQ(encodeJSON(*JSONValue::decode("2.5")).value(), "2.5");
  EXPECT_EQ(JSONValue::decode("true"), JSONValue::boolean(true));
  EXPECT_TRUE(JSONValue::decode("null")->isNull());
  EXPECT_EQ(JSONValue::decode("{}"), JSONValue::object({}));
  EXPECT_EQ(JSONValue::decode("[]"), JSONValue::array({}));
  EXPECT_EQ(JSONValue::decode(R"({"b":[1,"x"],"a":null})"),
            JSONValue::object({{"a", JSONValue::null()},
                               {"b", JSONValue::array({JSONValue::number(1), JSONValue::string("x")})}}));
}

TEST(JSONValueTest, EqualityIsByCaseAndValue) {
  EXPECT_NE(JSONValue::number(1), JSONValue::boolean(true));
  EXPECT_NE(JSONValue::number(NAN), JSONValue::number(NAN));
  EXPECT_EQ(JSONValue::string("\xC3\xA9"), JSONValue::string("e\xCC\x81"));
  EXPECT_NE(JSONValue::null(), JSONValue::object({}));
  EXPECT_NE(JSONValue::array({JSONValue::number(1), JSONValue::number(2)}),
            JSONValue::array({JSONValue::number(2), JSONValue::number(1)}));
}

}  // namespace
}  // namespace firebase::vertexai
