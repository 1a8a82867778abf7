#include <gtest/gtest.h>

#include <cmath>
#include <expected>
#include <functional>
#include <limits>

#include "foundation/DateComponents.hpp"
#include "foundation/JsonDecoder.hpp"
#include "foundation/JsonWriter.hpp"
#include "foundation/Text.hpp"

namespace json = platform::json;
using Kind = json::DecodingError::Kind;

TEST(JsonWriter, WritesCompactJSONWithItsCommas) {
  const auto text = json::write([](json::Writer& w) {
    w.beginObject();
    w.key("list");
    w.beginArray();
    w.integer(std::numeric_limits<std::int64_t>::min());
    w.number(42.0);
    w.number(0.7f);
    w.number(1e300);
    w.boolean(false);
    w.null();
    w.beginObject();
    w.endObject();
    w.endArray();
    w.key("text");
    w.string("quote \" backslash \\ tab \t nul \x01 slash / \xC3\xA9");
    w.key("bytes");
    w.base64(std::vector<std::uint8_t>{'f', 'o', 'o'});
    w.endObject();
  });
  ASSERT_TRUE(text);
  EXPECT_EQ(*text,
            R"({"list":[-9223372036854775808,42,0.7,1e+300,false,null,{}],)"
            R"("text":"quote \" backslash \\ tab \t nul \u0001 slash / )"
            "\xC3\xA9"
            R"(","bytes":"Zm9v"})");
  auto read = json::parse(*text);
  ASSERT_TRUE(read);
  EXPECT_EQ((*read)["text"], "quote \" backslash \\ tab \t nul \x01 slash / \xC3\xA9");
}

TEST(JsonWriter, TheFirstFailureWinsAndSaysWhere) {
  const auto text = json::write([](json::Writer& w) {
    w.beginObject();
    w.key("a");
    w.beginArray();
    w.string("fine");
    w.number(std::nan(""));
    w.string("\xFF");
    w.endArray();
    w.endObject();
  });
  ASSERT_FALSE(text);
  EXPECT_EQ(text.error()->code(), json::kEncodingInvalidValueCode);
  EXPECT_NE(text.error()->debugDescription().find("Unable to encode nan directly in JSON (at a[1])"), std::string::npos)
      << text.error()->debugDescription();
}

TEST(JsonWriter, RefusesToNestDeeperThanReadersAccept) {
  auto nested = [](int depth) {
    return json::write([depth](json::Writer& w) {
      for (int i = 0; i < depth; ++i) w.beginArray();
      for (int i = 0; i < depth; ++i) w.endArray();
    });
  };
  ASSERT_TRUE(nested(512));
  EXPECT_TRUE(json::parse(*nested(512)));
  EXPECT_FALSE(nested(513));
}

namespace {

// A sequence of writer calls and what the writer must answer for it.
struct WriterCase {
  const char* name;
  std::function<void(json::Writer&)> calls;
  // The document written, or the failure's reason and place.
  std::expected<std::string, std::string> answer;
  json::Writer::Layout layout = json::Writer::Layout::compact;
};

void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

class JsonWriterCalls : public ::testing::TestWithParam<WriterCase> {};

TEST_P(JsonWriterCalls, WriteTheirDocumentOrFailSayingWhy) {
  const auto& c = GetParam();
  json::Writer writer(c.layout);
  c.calls(writer);
  const auto text = std::move(writer).finish();
  if (c.answer) {
    ASSERT_TRUE(text) << text.error()->debugDescription();
    EXPECT_EQ(*text, *c.answer);
    EXPECT_TRUE(json::parseAllowingFragments(*text));
  } else {
    ASSERT_FALSE(text) << "written as a success: " << *text;
    EXPECT_EQ(text.error()->code(), json::kEncodingInvalidValueCode);
    const auto* error = platform::errorAs<platform::DomainError>(text.error());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->userInfo().at("NSDebugDescription"), c.answer.error());
  }
}

std::unexpected<std::string> fails(const char* reason) { return std::unexpected<std::string>(reason); }

const WriterCase kWriterCases[] = {
    {"AnObjectOfMembers",
     [](json::Writer& w) {
       w.beginObject();
       w.key("a");
       w.beginArray();
       w.beginObject();
       w.key("b");
       w.null();
       w.endObject();
       w.endArray();
       w.key("c");
       w.beginObject();
       w.endObject();
       w.endObject();
     },
     R"({"a":[{"b":null}],"c":{}})"},
    {"IndentedMembersAndElements",
     [](json::Writer& w) {
       w.beginObject();
       w.key("a");
       w.beginArray();
       w.integer(std::int64_t{1});
       w.integer(std::int64_t{2});
       w.endArray();
       w.key("b");
       w.beginArray();
       w.endArray();
       w.endObject();
     },
     "{\n  \"a\": [\n    1,\n    2\n  ],\n  \"b\": []\n}", json::Writer::Layout::indented},
    {"AStringAlone", [](json::Writer& w) { w.string("x"); }, R"("x")"},
    {"AValueWithoutAKeyInAnObject",
     [](json::Writer& w) {
       w.beginObject();
       w.integer(std::int64_t{1});
       w.endObject();
     },
     fails("a value without a key in an object (at the top level)")},
    {"AKeyInAnArray",
     [](json::Writer& w) {
       w.beginArray();
       w.key("k");
       w.integer(std::int64_t{1});
       w.endArray();
     },
     fails("a key outside an object (at [0])")},
    {"AKeyAtTheTopLevel",
     [](json::Writer& w) {
       w.key("k");
       w.integer(std::int64_t{1});
     },
     fails("a key outside an object (at the top level)")},
    {"TwoValuesAfterOneKey",
     [](json::Writer& w) {
       w.beginObject();
       w.key("k");
       w.integer(std::int64_t{1});
       w.integer(std::int64_t{2});
       w.endObject();
     },
     fails("a value without a key in an object (after k)")},
    {"TwoKeysBeforeAValue",
     [](json::Writer& w) {
       w.beginObject();
       w.key("k");
       w.key("l");
       w.null();
       w.endObject();
     },
     fails("a second key before a value (at k)")},
    {"AKeyWithoutAValue",
     [](json::Writer& w) {
       w.beginObject();
       w.key("k");
       w.endObject();
     },
     fails("a key without a value (at k)")},
    {"AnObjectAndAnArrayLeftOpen",
     [](json::Writer& w) {
       w.beginObject();
       w.key("k");
       w.beginArray();
     },
     fails("the document ends inside an array (at k[0])")},
    {"AnObjectLeftOpen", [](json::Writer& w) { w.beginObject(); }, fails("the document ends inside an object (at the top level)")},
    {"AnObjectClosedAsAnArray",
     [](json::Writer& w) {
       w.beginObject();
       w.endArray();
     },
     fails("an object closed as an array (at the top level)")},
    {"AnArrayClosedAsAnObject",
     [](json::Writer& w) {
       w.beginArray();
       w.null();
       w.endObject();
     },
     fails("an array closed as an object (at [0])")},
    {"AnObjectClosedWithNothingOpen", [](json::Writer& w) { w.endObject(); }, fails("a close with nothing open (at the top level)")},
    {"AnArrayClosedTwice",
     [](json::Writer& w) {
       w.beginArray();
       w.endArray();
       w.endArray();
     },
     fails("a close with nothing open (at the top level)")},
    {"TwoValuesAtTheTopLevel",
     [](json::Writer& w) {
       w.beginObject();
       w.endObject();
       w.integer(std::int64_t{2});
     },
     fails("a value after the end of the document (at the top level)")},
    {"NothingWritten", [](json::Writer&) {}, fails("the document is empty (at the top level)")},
    // The key is the writer's own: the failure still names a key whose text is gone.
    {"AFailureAfterAKeyWhoseTextIsGone",
     [](json::Writer& w) {
       w.beginObject();
       w.key(std::string(40, 'k'));
       w.number(std::nan(""));
     },
     fails("Unable to encode nan directly in JSON (at kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk)")},
};

INSTANTIATE_TEST_SUITE_P(Sequences, JsonWriterCalls, ::testing::ValuesIn(kWriterCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Decodes {"a": ...} reading "a" with `read`, answering the error.
template <typename F>
platform::ErrorPtr errorReading(std::string_view document, F read) {
  auto result = json::decodeDocument(document, [&](json::Decoder& root) {
    auto a = root.required("a");
    read(a);
    return 0;
  });
  return result ? nullptr : result.error();
}

}  // namespace

TEST(JsonDecoder, ErrorsNameTheirKindAndPlace) {
  const struct {
    const char* document;
    Kind kind;
    std::vector<std::string> path;
  } cases[] = {
      {R"({"b":1})", Kind::keyNotFound, {}},
      {R"({"a":null})", Kind::valueNotFound, {"a"}},
      {R"({"a":"1"})", Kind::typeMismatch, {"a"}},
      {R"({"a":1.5})", Kind::dataCorrupted, {"a"}},
      {R"({"a":9223372036854775808})", Kind::dataCorrupted, {"a"}},
      {R"({"a":[1,2,"x"]})", Kind::typeMismatch, {"a", "Index 2"}},
  };
  for (const auto& c : cases) {
    const auto error = errorReading(c.document, [](json::Decoder& a) {
      if (a.value().is_array())
        a.array([](json::Decoder& element) { return element.int64(); });
      else
        a.int64();
    });
    const auto* decoding = platform::errorAs<json::DecodingError>(error);
    ASSERT_NE(decoding, nullptr) << c.document;
    EXPECT_EQ(decoding->kind(), c.kind) << c.document;
    EXPECT_EQ(decoding->codingPath(), c.path) << c.document;
  }
}

TEST(JsonDecoder, WholeNumbersAndNullsAreReadAsThePlatformDoes) {
  auto value = json::decodeDocument(R"({"n":12.0,"m":-3,"f":0.1,"s":"x","o":null})", [](json::Decoder& root) {
    EXPECT_EQ(root.required("n").int64(), 12);
    EXPECT_EQ(root.required("m").int64(), -3);
    EXPECT_FLOAT_EQ(root.required("f").float32(), 0.1f);
    EXPECT_TRUE(root.contains("o"));
    EXPECT_FALSE(root.ifPresent("o"));
    EXPECT_FALSE(root.ifPresent("missing"));
    return root.required("s").string();
  });
  EXPECT_EQ(value, "x");
  const auto invalid = json::decodeDocument("{", [](json::Decoder&) { return 0; });
  ASSERT_FALSE(invalid);
  const auto* error = platform::errorAs<json::DecodingError>(invalid.error());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->description(), "The given data was not valid JSON.");
  EXPECT_EQ(error->underlyingError()->code(), json::kReadCorruptCode);
}

TEST(DateComponents, AreValidWhenTheCalendarHasSuchADate) {
  using platform::DateComponents;
  const struct {
    DateComponents date;
    bool valid;
  } cases[] = {
      {{2024, 2, 29}, true}, {{2023, 2, 29}, false}, {{2024, 2, 30}, false}, {{std::nullopt, 2, 29}, true},
      {{2024, std::nullopt, std::nullopt}, true}, {{10000, 12, 31}, true}, {{-5, std::nullopt, std::nullopt}, false},
      {{2024, 13, std::nullopt}, false}, {{std::nullopt, std::nullopt, 15}, true}, {{2024, 4, 31}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.date.isValidDate(), c.valid) << c.date.description();
  EXPECT_EQ((DateComponents{2024, 2, std::nullopt}).description(), "calendar: gregorian year: 2024 month: 2");
}

TEST(Text, CanonicalEquivalenceComparesNormalizedText) {
  EXPECT_TRUE(platform::text::canonicallyEquivalent("caf\xC3\xA9", "cafe\xCC\x81"));
  EXPECT_TRUE(platform::text::canonicallyEquivalent("\xE2\x84\xAA", "K"));  // the Kelvin sign
  EXPECT_FALSE(platform::text::canonicallyEquivalent("cafe", "caf\xC3\xA9"));
  EXPECT_FALSE(platform::text::canonicallyEquivalent("a", "A"));
  EXPECT_FALSE(platform::text::canonicallyEquivalent("\xFF", "\xFE"));
}

TEST(JsonDecoder, SnakeCaseKeysMatchOnlyWhenAskedFor) {
  using platform::json::KeyDecoding;
  EXPECT_EQ(platform::json::convertFromSnakeCase("finish_reason"), "finishReason");
  EXPECT_EQ(platform::json::convertFromSnakeCase("prompt_tokens_details"), "promptTokensDetails");
  EXPECT_EQ(platform::json::convertFromSnakeCase("_leading__and_trailing_"), "_leadingAndTrailing_");
  EXPECT_EQ(platform::json::convertFromSnakeCase("camelCase"), "camelCase");
  EXPECT_EQ(platform::json::convertFromSnakeCase("___"), "___");

  const std::string document = R"({"finish_reason":"STOP","args":{"user_id":1},"both":1,"bo_th":2})";
  auto read = [](platform::json::Decoder& root) {
    auto args = root.required("args").dictionary([](platform::json::Decoder& d) { return d.int64(); });
    return std::tuple(root.ifPresent("finishReason").has_value(), args.count("user_id") == 1,
                      root.required("both").int64());
  };
  EXPECT_EQ(*platform::json::decodeDocument(document, read, KeyDecoding::acceptSnakeCase),
            std::tuple(true, true, std::int64_t{1}));  // free-form keys stay; an exact key wins
  auto exact = platform::json::decodeDocument(document, read);
  EXPECT_EQ(std::get<0>(*exact), false);
}
