// What the Vertex AI client's wire model costs on each call: encoding a
// request body of four messages, and decoding a 4 KB and a 1 MB response.
// Run with --benchmark_repetitions to get medians.
//
// The allocation counters show that decoding copies no part's bytes beyond
// the one copy the decoder makes: "bytes_allocated_by_decode" is about what
// parsing the JSON alone allocates ("bytes_allocated_by_parse"), since the
// decoded texts are taken over from the parsed document, not copied again.
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include <benchmark/benchmark.h>

#include "FirebaseVertexAI/GenerateContentRequest.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "foundation/Base64.hpp"
#include "foundation/Json.hpp"

namespace {

std::atomic<std::size_t> allocatedBytes{0};

}  // namespace

// Counts what is allocated; malloc and free do the work.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  allocatedBytes.fetch_add(size, std::memory_order_relaxed);
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using namespace firebase::vertexai;

// A paragraph of mail text with the characters JSON escapes.
std::string paragraph(std::size_t length) {
  const std::string sentence =
      "Thank you for the \"offsite\" invitation; I'm glad to join on 12 March.\nBest regards,\tAda \xE2\x80\x94 ";
  std::string text;
  while (text.size() < length) text += sentence;
  text.resize(length);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
  if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
  return text;
}

GenerateContentRequest fourMessageRequest() {
  std::vector<ModelContent> contents;
  for (int i = 0; i < 4; ++i)
    contents.emplace_back(std::string(i % 2 == 0 ? "user" : "model"), std::vector<PartsRepresentable>{paragraph(600)});
  GenerateContentRequest request{
      .model = "projects/quorbel-test/locations/us-central1/publishers/google/models/gemini-2.0-flash-lite",
      .contents = std::move(contents),
      .apiConfig = {APIConfig::Service::vertexAI(APIConfig::Service::Endpoint::firebaseVertexAIProd),
                    APIConfig::Version::v1beta},
      .apiMethod = GenerateContentRequest::APIMethod::generateContent,
      .options = {180}};
  request.generationConfig = GenerationConfig{.temperature = 0.7f, .maxOutputTokens = 2048};
  return request;
}

// A response of the service's shape, with candidates of `textLength` text
// each and, optionally, an inline image of `imageBytes`.
std::string responseOf(int candidates, std::size_t textLength, std::size_t imageBytes = 0) {
  using platform::json::Value;
  Value list = Value::array();
  for (int i = 0; i < candidates; ++i) {
    Value parts = Value::array({Value{{"text", paragraph(textLength)}}});
    if (imageBytes > 0) {
      std::vector<std::uint8_t> image(imageBytes);
      for (std::size_t b = 0; b < image.size(); ++b) image[b] = static_cast<std::uint8_t>(b * 31);
      parts.push_back(Value{{"inlineData", Value{{"mimeType", "image/png"}, {"data", platform::base64::encode(image)}}}});
    }
    Value ratings = Value::array();
    for (const char* category : {"HARM_CATEGORY_HATE_SPEECH", "HARM_CATEGORY_DANGEROUS_CONTENT",
                                 "HARM_CATEGORY_HARASSMENT", "HARM_CATEGORY_SEXUALLY_EXPLICIT"})
      ratings.push_back(Value{{"category", category},
                              {"probability", "NEGLIGIBLE"},
                              {"probabilityScore", 0.04},
                              {"severity", "HARM_SEVERITY_NEGLIGIBLE"},
                              {"severityScore", 0.02}});
    list.push_back(Value{{"content", Value{{"role", "model"}, {"parts", parts}}},
                         {"finishReason", "STOP"},
                         {"safetyRatings", ratings}});
  }
  Value response{{"candidates", list},
                 {"usageMetadata",
                  Value{{"promptTokenCount", 412},
                        {"candidatesTokenCount", 900},
                        {"totalTokenCount", 1312},
                        {"promptTokensDetails", Value::array({Value{{"modality", "TEXT"}, {"tokenCount", 412}}})}}},
                 {"modelVersion", "gemini-2.0-flash-lite-001"}};
  return response.dump();
}

void encodeFourMessageRequest(benchmark::State& state) {
  const auto request = fourMessageRequest();
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto body = encodeJSON(request);
    bytes = body->size();
    benchmark::DoNotOptimize(body);
  }
  state.counters["body_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(encodeFourMessageRequest)->Unit(benchmark::kMicrosecond);

void decode(benchmark::State& state, const std::string& body) {
  for (auto _ : state) {
    auto response = GenerateContentResponse::decode(body);
    if (!response) state.SkipWithError("the response does not decode");
    benchmark::DoNotOptimize(response);
  }
  const auto parseStart = allocatedBytes.load();
  { auto parsed = platform::json::parse(body); benchmark::DoNotOptimize(parsed); }
  const auto decodeStart = allocatedBytes.load();
  { auto response = GenerateContentResponse::decode(body); benchmark::DoNotOptimize(response); }
  state.counters["response_bytes"] = static_cast<double>(body.size());
  state.counters["bytes_allocated_by_parse"] = static_cast<double>(decodeStart - parseStart);
  state.counters["bytes_allocated_by_decode"] = static_cast<double>(allocatedBytes.load() - decodeStart);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void decode4KBResponse(benchmark::State& state) { decode(state, responseOf(1, 3000)); }
BENCHMARK(decode4KBResponse)->Unit(benchmark::kMicrosecond);

void decode1MBTextResponse(benchmark::State& state) { decode(state, responseOf(4, 256 * 1024)); }
BENCHMARK(decode1MBTextResponse)->Unit(benchmark::kMillisecond);

void decode1MBInlineImageResponse(benchmark::State& state) { decode(state, responseOf(1, 2000, 760 * 1024)); }
BENCHMARK(decode1MBInlineImageResponse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
