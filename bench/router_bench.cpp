// What one router request costs: (a) the local work without the network, and
// (b) a whole request to a loopback server beside a bare libcurl POST of the
// same bytes.
#include <curl/curl.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include "foundation/Bundle.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/FileStamp.hpp"
#include "foundation/Json.hpp"
#include "foundation/UserDefaults.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"
#include "router/UserSettingsAccessor.hpp"

namespace {

using platform::json::Value;
using quorbel::ExtensionLLMAPIService;

const std::string kQuotedMessage = std::string(1500, 'm');

// A chat-completions reply carrying a 4 KB answer.
std::string replyWith4KBAnswer() {
  Value reply{{"id", "chatcmpl-1"},
              {"object", "chat.completion"},
              {"choices", Value::array({Value{{"index", 0},
                                              {"message", Value{{"role", "assistant"}, {"content", std::string(4096, 'a')}}},
                                              {"finish_reason", "stop"}}})},
              {"usage", Value{{"prompt_tokens", 400}, {"completion_tokens", 900}}}};
  return reply.dump();
}

// A loopback chat-completions server that keeps connections alive.
class LoopbackChatServer {
 public:
  LoopbackChatServer() {
    server_.Post(".*", [this](const httplib::Request&, httplib::Response& out) {
      out.set_content(reply_, "application/json");
    });
    server_.set_tcp_nodelay(true);  // no Nagle delay between the reply's header and body
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoopbackChatServer() {
    server_.stop();
    thread_.join();
  }
  std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  httplib::Server server_;
  std::string reply_ = replyWith4KBAnswer();
  int port_ = 0;
  std::thread thread_;
};

LoopbackChatServer& server() {
  static LoopbackChatServer instance;
  return instance;
}

// Temporary settings and bundle, as a user of the OpenAI provider has them;
// returns the folder that holds them.
std::filesystem::path prepareEnvironment() {
  char pattern[] = "/tmp/quorbel-bench-XXXXXX";
  std::filesystem::path root = mkdtemp(pattern);
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  std::filesystem::create_directories(root / "bench.bundle" / "Resources");
  std::ofstream(root / "bench.bundle" / "Resources" / ".env")
      << "APP_GROUP_ID=group.tesvarin.quorbel\nGEMINI_MODEL=gemini-2.0-flash-lite\nCLOUDFLARE_WORKER_URL=\n"
         "WORKER_API_KEY=\n";
  platform::Bundle::setMainBundlePath(root / "bench.bundle");

  auto suite = platform::UserDefaults::suite("group.tesvarin.quorbel");
  suite->set("llm_provider", "openai");
  suite->set("llm_endpoint", server().baseURL() + "/v1");
  suite->set("llm_api_key", "sk-bench-0123456789");
  suite->set("llm_model", "gpt-4o-mini");
  suite->set("llm_timeout", 30.0);
  suite->set("llm_max_tokens", 1024);
  suite->synchronize();
  return root;
}

// (a) The local work of one request, piece by piece and together.

void BM_SettingsAndConfigurationReads(benchmark::State& state) {
  auto& service = ExtensionLLMAPIService::shared();
  for (auto _ : state) {
    platform::files::ReadOnceScope oneRequest;  // as generateContent reads them
    benchmark::DoNotOptimize(service.currentProvider());
    benchmark::DoNotOptimize(service.effectiveModel());
    benchmark::DoNotOptimize(service.effectiveEndpoint());
    benchmark::DoNotOptimize(service.effectiveAPIKey());
    benchmark::DoNotOptimize(service.timeout());
    benchmark::DoNotOptimize(service.maxTokens());
    benchmark::DoNotOptimize(quorbel::ExtensionConfig::isDebugLoggingEnabled());
  }
}
BENCHMARK(BM_SettingsAndConfigurationReads);

std::string assemblePrompt() {
  return quorbel::UserSettingsAccessor::shared().effectiveSystemPrompt() + "\n\nTask: write a reply.\n\n" +
         kQuotedMessage;
}

void BM_PromptAssembly(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(assemblePrompt());
}
BENCHMARK(BM_PromptAssembly);

void BM_EncodeRequestBody(benchmark::State& state) {
  std::string prompt = assemblePrompt();
  for (auto _ : state) {
    auto body = quorbel::wire::chatCompletionsBody(
        "gpt-4o-mini", quorbel::wire::chatMessages(prompt, std::nullopt, quorbel::wire::SystemMessagePolicy::whenGiven),
        1024);
    benchmark::DoNotOptimize(platform::json::serialize(body));
  }
}
BENCHMARK(BM_EncodeRequestBody);

void BM_Decode4KBAnswer(benchmark::State& state) {
  std::string reply = replyWith4KBAnswer();
  for (auto _ : state) {
    auto parsed = platform::json::parse(reply);
    benchmark::DoNotOptimize(quorbel::wire::readChatAnswer(*parsed));
  }
}
BENCHMARK(BM_Decode4KBAnswer);

void BM_LocalCostOfOneRequest(benchmark::State& state) {
  auto& service = ExtensionLLMAPIService::shared();
  std::string reply = replyWith4KBAnswer();
  for (auto _ : state) {
    std::string prompt = assemblePrompt();
    platform::files::ReadOnceScope oneRequest;  // as generateContent reads the settings
    auto provider = service.currentProvider();
    std::string model = service.effectiveModel();
    std::string url = quorbel::wire::openAIURL(service.effectiveEndpoint());
    std::string key = service.effectiveAPIKey();
    double timeout = service.timeout();
    auto body = quorbel::wire::chatCompletionsBody(
        model, quorbel::wire::chatMessages(prompt, std::nullopt, quorbel::wire::SystemMessagePolicy::whenGiven),
        service.maxTokens());
    auto validated = service.validateEndpointURL(url);
    auto encoded = platform::json::serialize(body);
    auto parsed = platform::json::parse(reply);
    benchmark::DoNotOptimize(provider);
    benchmark::DoNotOptimize(key);
    benchmark::DoNotOptimize(timeout);
    benchmark::DoNotOptimize(validated);
    benchmark::DoNotOptimize(encoded);
    benchmark::DoNotOptimize(quorbel::wire::readChatAnswer(*parsed));
  }
}
BENCHMARK(BM_LocalCostOfOneRequest);

// (b) One whole request to the loopback server, and the same bytes by bare libcurl.

void BM_FullRequestThroughRouter(benchmark::State& state) {
  auto& service = ExtensionLLMAPIService::shared();
  std::string prompt = assemblePrompt();
  for (auto _ : state) {
    std::atomic<bool> done = false;
    bool answered = false;
    service.generateContent(prompt, std::nullopt, [&](quorbel::LLMResult result) {
      answered = result.has_value();
      done = true;
    });
    platform::RunLoop::runUntil([&] { return done.load(); }, std::chrono::seconds(10));
    if (!answered) state.SkipWithError("the request failed");
  }
}
BENCHMARK(BM_FullRequestThroughRouter)->UseRealTime()->MinTime(2.0);

size_t collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

void BM_BareLibcurlPost(benchmark::State& state) {
  auto& service = ExtensionLLMAPIService::shared();
  std::string url = quorbel::wire::openAIURL(service.effectiveEndpoint());
  std::string body = *platform::json::serialize(quorbel::wire::chatCompletionsBody(
      "gpt-4o-mini",
      quorbel::wire::chatMessages(assemblePrompt(), std::nullopt, quorbel::wire::SystemMessagePolicy::whenGiven),
      1024));
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Content-Type: application/json");
  headers = curl_slist_append(headers, "Authorization: Bearer sk-bench-0123456789");
  headers = curl_slist_append(headers, "Expect:");
  std::string reply;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  // The URL session offers compressed replies too, so the server does the
  // same work for both.
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  for (auto _ : state) {
    reply.clear();
    if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("the request failed");
    benchmark::DoNotOptimize(reply);
  }
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
}
BENCHMARK(BM_BareLibcurlPost)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path root = prepareEnvironment();
  ExtensionLLMAPIService::shared();  // its creation line is printed once, before the tables
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::UserDefaults::resetForTesting();
  std::filesystem::remove_all(root);
  return 0;
}
