#include <gtest/gtest.h>

#include <limits>

#include "foundation/Json.hpp"

namespace json = platform::json;

TEST(Json, ParsesOnlyObjectsAndArraysAtTheTop) {
  std::string siblings = "[";
  for (int i = 0; i < 600; ++i) siblings += "[],";
  siblings += "[]]";
  struct Case {
    std::string input;
    bool accepted;
  } cases[] = {
      {R"({"a":1})", true},
      {"[1,2]", true},
      {"  {}  ", true},
      {"null", false},
      {"42", false},
      {R"("text")", false},
      {"", false},
      {"{} x", false},
      // A NUL is no white space: what follows it is trailing garbage too.
      {std::string(R"({"a":1})") + '\0' + "garbage", false},
      {std::string("[1]") + '\0', false},
      {std::string(R"({"a":"x)") + '\0' + R"(y"})", false},  // unescaped inside a string
      {"<html>", false},
      {"{\"a\":\"\xFF\"}", false},  // invalid UTF-8 in a string
      {std::string(600, '[') + std::string(600, ']'), false},
      // Many brackets, yet shallow: side by side, or inside a string.
      {siblings, true},
      {R"({"a":")" + std::string(600, '[') + R"("})", true},
      {R"({"a":"\")" + std::string(600, '[') + R"("})", true},  // after an escaped quote, still inside
      {R"({"a":"\\","b":)" + std::string(600, '[') + std::string(600, ']') + "}", false},  // an escaped backslash ends it
  };
  for (const auto& c : cases) {
    auto parsed = json::parse(c.input);
    EXPECT_EQ(parsed.has_value(), c.accepted) << c.input.substr(0, 40);
    if (!parsed) {
      EXPECT_EQ(parsed.error()->domain(), "NSCocoaErrorDomain");
      EXPECT_EQ(parsed.error()->code(), 3840);
    }
  }
  EXPECT_TRUE(json::parseAllowingFragments("42").has_value());
}

TEST(Json, ParsesLargeDocuments) {
  std::string big = R"({"response":")" + std::string(5 * 1024 * 1024, 'x') + R"("})";
  auto parsed = json::parse(big);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(json::stringMember(*parsed, "response")->size(), 5u * 1024 * 1024);
}

TEST(Json, SerializingInvalidUTF8FailsWithoutThrowing) {
  json::Value v = {{"prompt", std::string("bad \xFF byte")}};
  auto out = json::serialize(v);
  ASSERT_FALSE(out);
  EXPECT_EQ(out.error()->code(), json::kWriteInvalidCode);
  EXPECT_EQ(*json::serialize(json::Value{{"t", 0.7}}), R"({"t":0.7})");
}

TEST(Json, DocumentsAreWrittenByTheOneWriterInBothLayouts) {
  const auto document = *json::parse(R"({"b":[1,{"x":[],"y":{}}],"a":"\u00e9/\u0001\n","n":18446744073709551615,)"
                                     R"("f":0.5,"g":42.0,"z":null})");
  EXPECT_EQ(*json::serialize(document),
            "{\"a\":\"\xC3\xA9/\\u0001\\n\",\"b\":[1,{\"x\":[],\"y\":{}}],\"f\":0.5,\"g\":42,"
            "\"n\":18446744073709551615,\"z\":null}");
  EXPECT_EQ(*json::serializePretty(document),
            "{\n  \"a\": \"\xC3\xA9/\\u0001\\n\",\n  \"b\": [\n    1,\n    {\n      \"x\": [],\n      \"y\": {}\n    }\n  ],\n"
            "  \"f\": 0.5,\n  \"g\": 42,\n  \"n\": 18446744073709551615,\n  \"z\": null\n}");
  auto notFinite = json::serialize(json::Value{{"t", std::numeric_limits<double>::infinity()}});
  ASSERT_FALSE(notFinite);
  EXPECT_EQ(notFinite.error()->code(), json::kWriteInvalidCode);
}

TEST(Json, MembersAreReadWithoutConversions) {
  auto v = *json::parse(R"({"s":"x","b":true,"i":3,"f":3.5,"n":null,"o":{},"objs":[{}],"mixed":[{},1]})");
  EXPECT_EQ(json::stringMember(v, "s"), "x");
  EXPECT_EQ(json::stringMember(v, "i"), std::nullopt);
  EXPECT_EQ(json::boolMember(v, "b"), true);
  EXPECT_EQ(json::boolMember(v, "i"), std::nullopt);
  EXPECT_EQ(json::integerMember(v, "i"), 3);
  EXPECT_EQ(json::integerMember(v, "f"), std::nullopt);
  EXPECT_EQ(json::integerMember(v, "b"), std::nullopt);
  EXPECT_NE(json::objectMember(v, "o"), nullptr);
  EXPECT_EQ(json::objectMember(v, "n"), nullptr);
  EXPECT_NE(json::arrayOfObjectsMember(v, "objs"), nullptr);
  EXPECT_EQ(json::arrayOfObjectsMember(v, "mixed"), nullptr);
  EXPECT_EQ(json::stringMember(json::Value::array(), "s"), std::nullopt);
  EXPECT_EQ(json::sortedKeysDescription(*json::parse(R"({"b":1,"a":2})")), R"(["a", "b"])");
}
