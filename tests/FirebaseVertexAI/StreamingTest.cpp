// Streamed generation against a server that writes server-sent events piece
// by piece, and the event-stream reader underneath.
#include <gtest/gtest.h>

#include <atomic>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/EventStreamReader.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/VertexAI.hpp"
#include "VertexTestSupport.hpp"
#include "foundation/JsonDecoder.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

using test_doubles::VertexAIBackend;
using Exchange = test_support::ScriptedHTTPServer::Exchange;

std::string event(const std::string& text, const std::string& finishReason = "") {
  platform::json::Value candidate{{"content", {{"role", "model"}, {"parts", {{{"text", text}}}}}}};
  if (!finishReason.empty()) candidate["finishReason"] = finishReason;
  return "data: " + platform::json::Value{{"candidates", {candidate}}}.dump() + "\r\n\r\n";
}

const std::string kBackendErrorObject = R"({"error":{"code":429,"message":"Quota exceeded.","status":"RESOURCE_EXHAUSTED"}})";

class StreamingTest : public testing::ConfiguredAppTest {
 protected:
  OperationHandle stream() {
    auto model = *(*VertexAI::vertexAI(nullptr, "us-central1"))->generativeModel("gemini-2.0-flash-lite", {180});
    return model->generateContentStream("Tell me", recorder.queue, recorder.handlers());
  }
  // A stream whose body is the pieces, each its own chunk.
  void serve(std::vector<std::string> pieces, int status = 200) {
    backend.server.handle([pieces, status](Exchange& exchange) {
      exchange.beginChunked(status);
      for (const auto& piece : pieces) exchange.sendChunk(piece);
      exchange.endChunked();
    });
  }
  const GenerateContentError* endError() const {
    return platform::errorAs<GenerateContentError>(recorder.endError());
  }

  VertexAIBackend backend;
  testing::StreamRecorder recorder;
};

TEST_F(StreamingTest, EachChunkIsDeliveredBeforeTheServerSendsTheNext) {
  auto firstDelivered = testing::makeSignal();
  recorder.onResponse = [firstDelivered](const GenerateContentResponse&) { firstDelivered->raise(); };
  auto waitedForTheClient = std::make_shared<std::atomic<bool>>(false);
  backend.server.handle([firstDelivered, waitedForTheClient](Exchange& exchange) {
    exchange.beginChunked(200);
    exchange.sendChunk(event("Hel"));
    firstDelivered->wait();  // the second chunk waits for the first delivery
    *waitedForTheClient = true;
    exchange.sendChunk(event("lo", "STOP"));
    exchange.endChunked();
  });
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_TRUE(*waitedForTheClient);
  EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"Hel", "lo"}));
  EXPECT_EQ(recorder.endError(), nullptr);
  auto request = backend.server.requests().back();
  EXPECT_EQ(request.target, "/v1beta/projects/quorbel-sample/locations/us-central1/publishers/google/models/"
                            "gemini-2.0-flash-lite:streamGenerateContent?alt=sse");
  EXPECT_EQ(request.body, R"({"contents":[{"role":"user","parts":[{"text":"Tell me"}]}]})");
}

TEST_F(StreamingTest, AFailureMidStreamDeliversTheChunksThenTheError) {
  backend.server.handle([](Exchange& exchange) {
    exchange.beginChunked(200);
    exchange.sendChunk(event("one"));
    exchange.sendChunk(event("two"));
    exchange.sendRaw("40\r\ndata: {\"candi");  // the connection drops inside a chunk
  });
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"one", "two"}));
  ASSERT_NE(endError(), nullptr);
  EXPECT_EQ(endError()->kind(), GenerateContentError::Kind::internalError);
  EXPECT_EQ(endError()->underlying()->domain(), platform::kURLErrorDomain);
}

TEST_F(StreamingTest, AHundredThousandChunksArriveInOrder) {
  constexpr int kChunks = 100000;
  backend.server.handle([](Exchange& exchange) {
    exchange.beginChunked(200);
    for (int i = 0; i < kChunks; ++i) exchange.sendChunk(event(std::to_string(i)));
    exchange.endChunked();
  });
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_EQ(recorder.endError(), nullptr);
  auto texts = recorder.texts();
  ASSERT_EQ(texts.size(), static_cast<std::size_t>(kChunks));
  for (int i = 0; i < kChunks; i += 9973) EXPECT_EQ(texts[i], std::to_string(i));
  EXPECT_EQ(texts.back(), std::to_string(kChunks - 1));
}

// How a body of lines ends the stream: normally, or with the error read from
// the lines that are not data.
struct BodyCase {
  const char* name;
  std::vector<std::string> pieces;
  std::vector<std::string> texts;
  std::string errorDomain;  // empty: a normal end
};
void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }

class StreamBodies : public StreamingTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(StreamBodies, EndAsTheLinesSay) {
  const auto& c = GetParam();
  serve(c.pieces);
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_EQ(recorder.texts(), c.texts);
  if (c.errorDomain.empty()) {
    EXPECT_EQ(recorder.endError(), nullptr) << testing::describe(recorder.endError());
    return;
  }
  ASSERT_NE(endError(), nullptr) << testing::describe(recorder.endError());
  EXPECT_EQ(endError()->underlying()->domain(), c.errorDomain);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StreamBodies,
    ::testing::Values(
        BodyCase{"DataLinesAndBlankLines", {event("a"), "\n\n", event("b")}, {"a", "b"}, ""},
        BodyCase{"EventStreamFieldsAreSkipped",
                 {": keep-alive\n", "event: message\nid: 7\nretry: 3000\nevent\n", event("a")}, {"a"}, ""},
        BodyCase{"LineFeedsOnly", {"data: {\"candidates\":[]}\n", "\ndata:{\"candidates\":[]}\n"}, {"<none>", "<none>"},
                 ""},
        BodyCase{"BackendErrorWithoutDataPrefix",
                 {event("a"), R"({"error":{"code":429,"message":"Quota","status":"RESOURCE_EXHAUSTED"}})"}, {"a"},
                 BackendError::kDomain},
        BodyCase{"OtherTextIsAnError", {"hello there\n"}, {}, platform::json::kErrorDomain},
        BodyCase{"UndecodableData", {"data: {not json}\n"}, {}, platform::json::kErrorDomain},
        BodyCase{"LastLineWithoutBreak", {event("a"), "data: {\"candidates\":[]}"}, {"a", "<none>"}, ""},
        BodyCase{"AnErrorObjectAfterAChunk", {event("a"), "data: " + kBackendErrorObject + "\n\n", event("b")}, {"a"},
                 BackendError::kDomain},
        BodyCase{"AByteOrderMarkCutOverTwoChunks", {"\xEF", "\xBB\xBF" + event("a")}, {"a"}, ""},
        BodyCase{"AnEventOfSeveralDataLines", {"data: {\"candidates\":\n", "data:\n", "data: []}\n\n"}, {"<none>"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StreamingTest, AnErrorObjectInTheStreamReachesTheCallerWithTheServersMessage) {
  serve({event("a"), "data: " + kBackendErrorObject + "\r\n\r\n"});
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_EQ(recorder.texts(), std::vector<std::string>{"a"});
  ASSERT_NE(endError(), nullptr);
  EXPECT_EQ(endError()->kind(), GenerateContentError::Kind::internalError);
  EXPECT_EQ(endError()->underlying()->code(), 429);
  EXPECT_EQ(endError()->localizedDescription(),
            "Quota exceeded. (com.google.firebase.vertexai.BackendError - HTTP 429 RESOURCE_EXHAUSTED)");
  EXPECT_TRUE(messagesWithCode(VertexLogMessageCode::loadRequestParseResponseFailedJSONError).empty());

  // A switched-off service gets its hint, as on a failed status.
  testing::StreamRecorder disabled;
  serve({"data: " + std::string(R"({"error":{"code":403,"status":"PERMISSION_DENIED","details":[{"@type":)"
                                R"("type.googleapis.com/google.rpc.ErrorInfo","reason":"SERVICE_DISABLED","domain":)"
                                R"("googleapis.com","metadata":{"service":"firebasevertexai.googleapis.com"}}]}})") +
         "\n\n"});
  auto model = *(*VertexAI::vertexAI(nullptr, "us-central1"))->generativeModel("gemini-2.0-flash-lite", {180});
  model->generateContentStream("Tell me", disabled.queue, disabled.handlers());
  ASSERT_TRUE(disabled.waitForEnd());
  EXPECT_EQ(disabled.endError()->localizedDescription(),
            "Unknown error. (com.google.firebase.vertexai.BackendError - HTTP 403 PERMISSION_DENIED)");
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::firebaseMLAPIDisabled).size(), 1u);
}

TEST_F(StreamingTest, StreamedKeysMayBeInSnakeCase) {
  serve({"data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"a\"}]},\"finish_reason\":\"STOP\"}],"
         "\"usage_metadata\":{\"prompt_token_count\":3}}\n\n",
         "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"b\"}]},\"finish_reason\":\"MAX_TOKENS\"}]}\n\n"});
  std::optional<std::int64_t> promptTokens;
  recorder.onResponse = [&](const GenerateContentResponse& response) {
    if (response.usageMetadata) promptTokens = response.usageMetadata->promptTokenCount;
  };
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  EXPECT_EQ(promptTokens, 3);
  EXPECT_EQ(recorder.texts(), std::vector<std::string>{"a"});
  ASSERT_NE(endError(), nullptr);
  EXPECT_EQ(endError()->kind(), GenerateContentError::Kind::responseStoppedEarly);
}

TEST_F(StreamingTest, ABlockedChunkEndsTheStreamAndTheExchange) {
  auto ended = testing::makeSignal(), handlerDone = testing::makeSignal();
  auto clientLeft = std::make_shared<std::atomic<bool>>(false);
  backend.server.handle([ended, handlerDone, clientLeft](Exchange& exchange) {
    exchange.beginChunked(200);
    exchange.sendChunk(event("fine"));
    exchange.sendChunk("data: {\"promptFeedback\":{\"blockReason\":\"SAFETY\"}}\n\n");
    ended->wait();
    // The client stopped reading: writing on fails sooner or later.
    for (int i = 0; i < 100000 && !*clientLeft; ++i) *clientLeft = !exchange.sendChunk(event("more"));
    handlerDone->raise();
  });
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  ended->raise();
  EXPECT_EQ(recorder.texts(), std::vector<std::string>{"fine"});
  ASSERT_NE(endError(), nullptr);
  EXPECT_EQ(endError()->kind(), GenerateContentError::Kind::promptBlocked);
  handlerDone->wait();
  EXPECT_TRUE(*clientLeft);
}

// Once a refused chunk has ended the stream, nothing more is posted to the
// caller's queue: the caller may let the queue go as soon as the end arrives,
// even from the end handler itself.
TEST_F(StreamingTest, AfterARefusedChunkTheCallersQueueMayGo) {
  auto release = testing::makeSignal();
  backend.server.handle([release](Exchange& exchange) {
    exchange.beginChunked(200);
    exchange.sendChunk(event("cut", "SAFETY"));
    release->wait();
    exchange.endChunked();
  });
  auto model = *(*VertexAI::vertexAI(nullptr, "us-central1"))->generativeModel("gemini-2.0-flash-lite", {180});
  auto queue = std::make_unique<platform::DispatchQueue>("vertexai.test.short-lived");
  auto ended = testing::makeSignal();
  platform::ErrorPtr endError;
  model->generateContentStream("Tell me", *queue,
                               {[](GenerateContentResponse) { ADD_FAILURE() << "a refused chunk was delivered"; },
                                [&](platform::ErrorPtr error) {
                                  endError = std::move(error);
                                  queue.reset();
                                  ended->raise();
                                }});
  ended->wait();
  release->raise();
  const auto* error = platform::errorAs<GenerateContentError>(endError);
  ASSERT_NE(error, nullptr) << testing::describe(endError);
  EXPECT_EQ(error->kind(), GenerateContentError::Kind::responseStoppedEarly);
  // The session ends the stopped exchange before it has answered a later one.
  backend.answer("next");
  testing::Delivered<GenerateContentResponse> next;
  model->generateContent("Again", next.queue, next.completion());
  EXPECT_TRUE(next.wait());
}

TEST_F(StreamingTest, StatusesOtherThan200EndWithTheBodysError) {
  struct Case {
    int status;
    std::string body;
    std::string domain;
  } cases[] = {{400, R"({"error":{"code":400,"message":"Bad","status":"INVALID_ARGUMENT"}})", BackendError::kDomain},
               {500, "<html>\n<body>oops</body>\n</html>", "FirebaseVertexAI.HTTPStatusError"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    testing::StreamRecorder local;
    backend.server.reply(c.status, c.body, "text/html");
    auto model = *(*VertexAI::vertexAI(nullptr, "us-central1"))->generativeModel("gemini-2.0-flash-lite", {180});
    model->generateContentStream("Hi", local.queue, local.handlers());
    ASSERT_TRUE(local.waitForEnd());
    const auto* error = platform::errorAs<GenerateContentError>(local.endError());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->underlying()->domain(), c.domain) << testing::describe(error->underlying());
  }
  EXPECT_EQ(messagesWithCode(VertexLogMessageCode::loadRequestStreamResponseError).size(), 2u);
  auto payloads = messagesWithCode(VertexLogMessageCode::loadRequestStreamResponseErrorPayload);
  ASSERT_EQ(payloads.size(), 2u);
  EXPECT_EQ(payloads[1], "Response payload: <html>\n<body>oops</body>\n</html>\n");
}

TEST_F(StreamingTest, AnErrorBodyPastTheReplyLimitEndsTheStreamClearly) {
  auto clientLeft = std::make_shared<std::atomic<bool>>(false);
  backend.server.handle([clientLeft](Exchange& exchange) {
    exchange.beginChunked(500, "text/plain");
    // Short lines, so that only the whole body is too long.
    std::string lines;
    for (int i = 0; i < 1024 * 16; ++i) lines += "oops oops oops oops oops oops oops oops oops oops oops oops oo\n";
    const std::size_t enough = platform::kMaximumReplyBodyBytes / lines.size() + 2;
    for (std::size_t i = 0; i < enough && !*clientLeft; ++i) *clientLeft = !exchange.sendChunk(lines);
    if (!*clientLeft) exchange.endChunked();
  });
  stream();
  ASSERT_TRUE(recorder.waitForEnd());
  ASSERT_NE(endError(), nullptr);
  EXPECT_EQ(endError()->underlying()->code(), platform::URLErrorDataLengthExceedsMaximum)
      << testing::describe(endError()->underlying());
  EXPECT_EQ(endError()->underlying()->localizedDescription(), "The reply is larger than the limit of 64 MB.");
}

TEST_F(StreamingTest, CancellingEndsTheStreamOnce) {
  auto cancelled = testing::makeSignal();
  backend.server.handle([cancelled](Exchange& exchange) {
    exchange.beginChunked(200);
    exchange.sendChunk(event("first"));
    cancelled->wait();
  });
  auto firstDelivered = testing::makeSignal();
  recorder.onResponse = [firstDelivered](const GenerateContentResponse&) { firstDelivered->raise(); };
  auto operation = stream();
  firstDelivered->wait();
  operation->cancel();
  ASSERT_TRUE(recorder.waitForEnd());
  cancelled->raise();
  EXPECT_EQ(recorder.texts(), std::vector<std::string>{"first"});
  ASSERT_NE(endError(), nullptr);
  EXPECT_EQ(endError()->underlying()->code(), platform::URLErrorCancelled);
}

// The reader alone. (It logs each line: the fixture collects the lines.)
using EventStreamReaderTest = testing::VertexTest;

// What reading a body gives: the texts of the responses in order, the text
// kept for the caller, and the error that ends it (empty: none).
struct ReaderOutcome {
  std::vector<std::string> texts;
  std::string extraText;
  std::string error;  // the error's description
  bool operator==(const ReaderOutcome&) const = default;
};
void PrintTo(const ReaderOutcome& o, std::ostream* os) {
  *os << "texts [";
  for (const auto& text : o.texts) *os << "\"" << text << "\" ";
  *os << "] extra \"" << o.extraText << "\" error \"" << o.error << "\"";
}

ReaderOutcome readBody(const std::vector<std::string_view>& pieces) {
  EventStreamReader reader(1024, BackendError::errorFromBody);
  ReaderOutcome outcome;
  auto collect = [&](GenerateContentResponse response) { outcome.texts.push_back(response.text().value_or("<none>")); };
  platform::ErrorPtr error;
  for (auto piece : pieces)
    if ((error = reader.read(piece, collect))) break;
  if (!error) error = reader.finish(collect);
  outcome.extraText = reader.extraText();
  // What the user reads when the model passes the error on.
  if (error) outcome.error = GenerateContentError::internalError(error)->localizedDescription();
  return outcome;
}

struct ReaderCase {
  const char* name;
  std::string body;
  ReaderOutcome expected;
};
void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

class EventStreamBodies : public EventStreamReaderTest, public ::testing::WithParamInterface<ReaderCase> {};

// Whole, a byte at a time, and cut once at every place: the same outcome.
TEST_P(EventStreamBodies, ReadAlikeHoweverTheBodyIsCut) {
  const auto& c = GetParam();
  const std::string_view body = c.body;
  EXPECT_EQ(readBody({body}), c.expected);
  std::vector<std::string_view> bytes;
  for (std::size_t at = 0; at < body.size(); ++at) bytes.push_back(body.substr(at, 1));
  EXPECT_EQ(readBody(bytes), c.expected) << "a byte at a time";
  for (std::size_t cut = 1; cut < body.size(); ++cut)
    EXPECT_EQ(readBody({body.substr(0, cut), body.substr(cut)}), c.expected) << "cut at " << cut;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EventStreamBodies,
    ::testing::Values(
        ReaderCase{"EventsEndAtEmptyLinesAndAtTheEnd",
                   ": hi\r\n" + event("a") + "event: x\r" + event("b") + "data: {\"candidates\":[]}",
                   {{"a", "b", "<none>"}, "", ""}},
        ReaderCase{"DataLinesOfOneEventAreJoined",
                   "data: {\"candidates\": [\ndata: {\"content\": {\"parts\": [{\"text\": \"a\"}]}}\ndata: ]}\n\n",
                   {{"a"}, "", ""}},
        ReaderCase{"JoinedWithALineBreakNotRunTogether",
                   "data: {\"candidates\":[],\"usageMetadata\":{\"totalTokenCount\":1\ndata:2}}\n\n",
                   {{}, "", "The server's reply could not be read: The given data was not valid JSON."}},
        ReaderCase{"EmptyDataLinesAreSkipped",
                   "data:\n\ndata: \ndata\ndata: {\"candidates\":[]}\ndata:\n\n" + event("a"), {{"<none>", "a"}, "", ""}},
        ReaderCase{"AByteOrderMarkAtTheStartIsSkipped", "\xEF\xBB\xBF" + event("a"), {{"a"}, "", ""}},
        ReaderCase{"AByteOrderMarkLaterIsText", event("a") + "\xEF\xBB\xBF" + event("b"),
                   {{"a"}, "\xEF\xBB\xBF" "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"b\"}],\"role\":"
                           "\"model\"}}]}",
                    ""}},
        ReaderCase{"APartOfAByteOrderMarkIsText", "\xEF\xBB", {{}, "\xEF\xBB", ""}},
        ReaderCase{"AnErrorObjectEndsTheStreamWithTheBackendsError",
                   event("a") + "data: " + kBackendErrorObject + "\n\n" + event("b"),
                   {{"a"}, "",
                    "Quota exceeded. (com.google.firebase.vertexai.BackendError - HTTP 429 RESOURCE_EXHAUSTED)"}},
        ReaderCase{"AnErrorObjectOfAnotherShapeIsUnreadable", "data: {\"error\":\"quota\"}\n\n",
                   {{}, "",
                    "The server's reply could not be read: Expected to decode Dictionary<String, Any> but found a "
                    "string instead. (at error)"}},
        ReaderCase{"AnUnreadableKeyIsNamedWithoutItsControlCharacters",
                   "data: {\"error\":{\"details\":[{\"@type\":\"t\",\"metadata\":{\"k\\u001b[2J\":1}}]}}\n\n",
                   {{}, "",
                    "The server's reply could not be read: Expected to decode String but found a number instead. (at "
                    "error.details[0].metadata.k\uFFFD[2J)"}},
        ReaderCase{"AResponseThatDoesNotDecodeSaysWhere",
                   "data: {\"candidates\":[],\"usageMetadata\":{\"promptTokenCount\":\"3\"}}\n\n",
                   {{}, "",
                    "The server's reply could not be read: Expected to decode Int64 but found a string instead. (at "
                    "usageMetadata.promptTokenCount)"}},
        ReaderCase{"OtherTextIsKept", "hello\n" + event("a") + "there", {{"a"}, "hellothere", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EventStreamReaderTest, ALineOrEventOverTheLimitEndsTheStream) {
  auto ignore = [](GenerateContentResponse) {};
  EventStreamReader longLine(16, BackendError::errorFromBody);
  EXPECT_EQ(longLine.read(std::string(10, 'x'), ignore), nullptr);
  auto error = longLine.read(std::string(10, 'x'), ignore);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), platform::URLErrorDataLengthExceedsMaximum);
  EXPECT_EQ(longLine.lines().peakBufferedBytes(), 10u);
  EventStreamReader longEvent(16, BackendError::errorFromBody);
  EXPECT_EQ(longEvent.read("data: 0123456789\n", ignore), nullptr);
  EXPECT_EQ(longEvent.read("data: 0123456789\n", ignore)->code(), platform::URLErrorDataLengthExceedsMaximum);
  EventStreamReader extra(16, BackendError::errorFromBody);
  EXPECT_EQ(extra.read("0123456789\nabcdefghij\n", ignore)->code(), platform::URLErrorDataLengthExceedsMaximum);
  EXPECT_EQ(extra.read("more", ignore)->code(), platform::URLErrorDataLengthExceedsMaximum);  // stays ended
}

}  // namespace
}  // namespace firebase::vertexai
