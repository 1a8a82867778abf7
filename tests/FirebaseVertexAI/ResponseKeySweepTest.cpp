#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/Json.hpp"
#include "foundation/JsonDecoder.hpp"

// Every key of a real-shaped response, taken away, set to null or given a
// value of the wrong type: the response decodes or fails with a decoding
// error, never anything else, and it fails exactly where a key is required.
namespace firebase::vertexai {
namespace {

using platform::json::Value;

enum class Mutation { missing, null, wrongType };

std::string nameOf(Mutation mutation) {
  switch (mutation) {
    case Mutation::missing: return "Missing";
    case Mutation::null: return "Null";
    case Mutation::wrongType: return "WrongType";
  }
  return {};
}

void PrintTo(Mutation mutation, std::ostream* os) { *os << nameOf(mutation); }

// Keys the decoder ignores, and the parts of a date (whether a date without
// one is still a date depends on the others).
const std::set<std::string> kIgnored = {"modelVersion", "createTime", "responseId", "avgLogprobs"};
const std::set<std::string> kDateParts = {"year", "month", "day"};
// Keys that must be present (and not null) where they stand: only the key a
// text part is known by. Every other key left out reads as its default.
const std::set<std::string> kRequired = {"text"};

// The place of every member of every object in the tree.
void collectMembers(const Value& value, const Value::json_pointer& at, std::vector<Value::json_pointer>& members) {
  if (value.is_object()) {
    for (const auto& [key, member] : value.items()) {
      members.push_back(at / key);
      collectMembers(member, at / key, members);
    }
  } else if (value.is_array()) {
    for (std::size_t i = 0; i < value.size(); ++i) collectMembers(value[i], at / i, members);
  }
}

Value wrongTypeFor(const Value& value) { return value.is_string() ? Value(12345) : Value("text"); }

class ResponseKeySweepTest : public testing::VertexTest, public ::testing::WithParamInterface<Mutation> {};

TEST_P(ResponseKeySweepTest, DecodesOrFailsWhereTheKeyIsRequired) {
  std::ifstream file(std::filesystem::path(QUORBEL_VERTEX_TEST_DATA) / "two_candidates_response.json");
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const Value original = platform::json::parse(text).value();
  std::vector<Value::json_pointer> members;
  collectMembers(original, Value::json_pointer(), members);
  for (const auto& member : members) {
    const std::string key = member.back();
    Value copy = original;
    Value& object = copy[member.parent_pointer()];
    switch (GetParam()) {
      case Mutation::missing: object.erase(key); break;
      case Mutation::null: object[key] = nullptr; break;
      case Mutation::wrongType: object[key] = wrongTypeFor(object[key]); break;
    }
    const auto response = GenerateContentResponse::decode(copy.dump());
    if (!response) {
      const auto* invalid = platform::errorAs<InvalidCandidateError>(response.error());
      const auto& cause = invalid ? invalid->underlyingError() : response.error();
      EXPECT_NE(platform::errorAs<platform::json::DecodingError>(cause), nullptr)
          << member.to_string() << ": " << testing::describe(response.error());
    }
    if (kIgnored.contains(key) || kDateParts.contains(key)) continue;
    bool mustFail = GetParam() == Mutation::wrongType || kRequired.contains(key);
    // Without candidates the response has neither of its two keys; null still counts as present.
    if (key == "candidates") mustFail = GetParam() != Mutation::null;
    EXPECT_EQ(!response, mustFail) << member.to_string()
                                   << (response ? " decoded" : " failed: " + testing::describe(response.error()));
  }
  EXPECT_EQ(members.size(), 66u);  // every member of the sample was tried
}

INSTANTIATE_TEST_SUITE_P(EveryKey, ResponseKeySweepTest,
                         ::testing::Values(Mutation::missing, Mutation::null, Mutation::wrongType),
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace firebase::vertexai
