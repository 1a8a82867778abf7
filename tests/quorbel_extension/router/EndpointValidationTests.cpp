// Which endpoints the router sends to, and that nothing else is ever reached.
#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "test_support/ConnectionCounter.hpp"
#include "test_support/HostlessURLs.hpp"
#include "test_support/LoopbackServer.hpp"

using quorbel::ExtensionLLMAPIService;
using router_test::CompletionProbe;
using router_test::RouterTest;
using test_support::ConnectionCounter;
using test_support::LoopbackServer;
using test_support::ScopedEnv;
using ErrorCase = quorbel::ExtensionLLMAPIError::Case;

namespace {

struct ValidationCase {
  const char* name;
  std::string text;
  std::optional<ErrorCase> failure;  // nullopt: accepted
};
void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

class EndpointValidation : public RouterTest, public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(EndpointValidation, AcceptsOnlyHttpAndHttpsWithAHost) {
  const auto& c = GetParam();
  auto result = ExtensionLLMAPIService::shared().validateEndpointURL(c.text);
  if (!c.failure) {
    EXPECT_TRUE(result) << c.text;
    return;
  }
  ASSERT_FALSE(result) << c.text;
  EXPECT_TRUE(quorbel::isExtensionError(result.error(), *c.failure)) << result.error()->localizedDescription();
  if (*c.failure == ErrorCase::invalidEndpointURL) {
    EXPECT_EQ(result.error()->localizedDescription(),
              "Invalid API endpoint URL: '" + c.text +
                  "'. Please check your endpoint configuration and ensure it includes the protocol (https://).");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EndpointValidation,
    ::testing::Values(ValidationCase{"Https", "https://api.example.com/v1/chat/completions", std::nullopt},
                      ValidationCase{"HttpWithPort", "http://127.0.0.1:11434/api/generate", std::nullopt},
                      ValidationCase{"SchemeInCapitals", "HTTPS://api.example.com/v1", std::nullopt},
                      ValidationCase{"Empty", "", ErrorCase::endpointNotConfigured},
                      ValidationCase{"LeadingBlank", " https://api.example.com", ErrorCase::invalidEndpointURL},
                      ValidationCase{"NoProtocol", "api.example.com/v1", ErrorCase::invalidEndpointURL},
                      ValidationCase{"OtherScheme", "ftp://x", ErrorCase::invalidEndpointURL},
                      ValidationCase{"FileScheme", "file:///etc/passwd", ErrorCase::invalidEndpointURL},
                      ValidationCase{"NothingAfterScheme", "https://", ErrorCase::invalidEndpointURL},
                      ValidationCase{"NoHost", "http:///v1/chat", ErrorCase::invalidEndpointURL},
                      ValidationCase{"OneSlashNoHost", "http:/api.example.com/v1", ErrorCase::invalidEndpointURL},
                      ValidationCase{"BlankHostWithPort", "http://:8080/v1", ErrorCase::invalidEndpointURL},
                      ValidationCase{"BlankInside", "http://exa mple.com", ErrorCase::invalidEndpointURL}),
    [](const auto& info) { return std::string(info.param.name); });

CompletionProbe sendWithProvider(const std::string& provider, const std::string& endpoint) {
  auto shared = router_test::suite();
  shared->set("llm_provider", provider);
  shared->set("llm_endpoint", endpoint);
  shared->set("llm_api_key", "secret-key");
  CompletionProbe probe;
  ExtensionLLMAPIService::shared().generateContent("p", std::nullopt, probe.completion());
  probe.waitForCompletion();
  return probe;
}

// The built-in service in API mode worker, with this worker address.
CompletionProbe sendThroughWorker(const std::string& workerURL) {
  router_test::suite()->set("llm_provider", "gemini");
  router_test::suite()->set("current_api_mode", "worker");
  ScopedEnv url("CLOUDFLARE_WORKER_URL", workerURL);
  ScopedEnv key("WORKER_API_KEY", "worker-secret");
  CompletionProbe probe;
  ExtensionLLMAPIService::shared().generateContent("p", std::nullopt, probe.completion());
  probe.waitForCompletion();
  return probe;
}

TEST_F(RouterTest, AnEndpointWithAnotherSchemeNeverReachesAServer) {
  ConnectionCounter listener;
  for (const char* scheme : {"ftp", "gopher", "telnet", "dict"}) {
    std::string endpoint = std::string(scheme) + "://127.0.0.1:" + std::to_string(listener.port());
    for (const char* provider : {"openai", "ollama", "custom"}) {
      auto probe = sendWithProvider(provider, endpoint);
      EXPECT_TRUE(probe.failedWith(ErrorCase::invalidEndpointURL)) << provider << " " << endpoint;
    }
    // The worker's address is configuration, not user input; the session
    // refuses the scheme all the same.
    auto probe = sendThroughWorker(endpoint);
    ASSERT_TRUE(probe.error());
    EXPECT_EQ(probe.error()->code(), platform::URLErrorUnsupportedURL) << endpoint;
  }
  EXPECT_EQ(listener.acceptedConnections(), 0);
}

class HostlessEndpoint : public RouterTest, public ::testing::WithParamInterface<test_support::HostlessURLForm> {};

TEST_P(HostlessEndpoint, ReachesNoServerOnAnyRoad) {
  ConnectionCounter listener;
  const std::string endpoint = GetParam().url(listener.port());
  for (const char* provider : {"openai", "ollama", "custom"}) {
    auto probe = sendWithProvider(provider, endpoint);
    EXPECT_TRUE(probe.failedWith(ErrorCase::invalidEndpointURL)) << provider << " " << endpoint;
  }
  // The worker's address is configuration: its road refuses only what does
  // not parse, and the URL session refuses the rest.
  auto probe = sendThroughWorker(endpoint);
  ASSERT_TRUE(probe.error()) << endpoint;
  if (GetParam().parses) {
    EXPECT_EQ(probe.error()->domain(), platform::kURLErrorDomain);
    EXPECT_EQ(probe.error()->code(), platform::URLErrorBadURL) << endpoint;
  } else {
    EXPECT_TRUE(probe.failedWith(ErrorCase::invalidRequest)) << endpoint;
  }
  EXPECT_EQ(listener.acceptedConnections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, HostlessEndpoint, ::testing::ValuesIn(test_support::hostlessURLForms()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RouterTest, ARedirectToAnotherSchemeIsNotFollowed) {
  ConnectionCounter listener;
  LoopbackServer server;
  for (int status : {302, 307}) {
    server.reply({status, "", "text/plain",
                  {{"Location", "ftp://127.0.0.1:" + std::to_string(listener.port()) + "/chat/completions"}}, {}});
    for (const char* provider : {"openai", "custom"}) {
      auto probe = sendWithProvider(provider, server.baseURL() + "/v1");
      ASSERT_TRUE(probe.error()) << provider;
      EXPECT_EQ(probe.error()->domain(), platform::kURLErrorDomain);
      EXPECT_TRUE(probe.calledOnMainThread());
    }
  }
  EXPECT_EQ(listener.acceptedConnections(), 0);
}

TEST_F(RouterTest, CredentialsDoNotFollowARedirectToAnotherHost) {
  LoopbackServer elsewhere;
  elsewhere.reply(200, R"({"choices":[{"message":{"content":"from elsewhere"}}]})");
  LoopbackServer server;
  // Same machine, another host name: the key must stay with 127.0.0.1.
  server.reply({307, "", "text/plain", {{"Location", "http://localhost:" + std::to_string(elsewhere.port()) + "/x"}}, {}});
  auto probe = sendWithProvider("openai", server.baseURL() + "/v1");
  EXPECT_EQ(server.lastRequest().header("Authorization"), "Bearer secret-key");
  ASSERT_EQ(elsewhere.requestCount(), 1u) << (probe.error() ? probe.error()->localizedDescription() : "");
  EXPECT_FALSE(elsewhere.lastRequest().hasHeader("Authorization"));
  EXPECT_EQ(probe.answer(), "from elsewhere");
}

TEST_F(RouterTest, ClassifiesRepliesThatAreNotPlainSuccess) {
  auto& service = ExtensionLLMAPIService::shared();
  std::optional<ExtensionLLMAPIService::HTTPResult> seen;
  auto handler = [&](ExtensionLLMAPIService::HTTPResult result) { seen = std::move(result); };

  service.handleHTTPResponse(std::string("{}"), std::nullopt, nullptr, handler);
  EXPECT_TRUE(quorbel::isExtensionError(seen->error(), ErrorCase::invalidResponse));

  service.handleHTTPResponse(std::nullopt, platform::HTTPURLResponse{"http://h", 200, {}}, nullptr, handler);
  EXPECT_TRUE(quorbel::isExtensionError(seen->error(), ErrorCase::noData));

  service.handleHTTPResponse(std::string(), platform::HTTPURLResponse{"http://h", 200, {}}, nullptr, handler);
  EXPECT_EQ(*seen, std::string());  // an empty body is a body

  auto transport = platform::makeError(platform::kURLErrorDomain, platform::URLErrorTimedOut, "The request timed out.");
  service.handleHTTPResponse(std::nullopt, std::nullopt, transport, handler);
  EXPECT_EQ(seen->error(), transport);
}

TEST(RouterErrors, DescribeThemselvesExactly) {
  using quorbel::ExtensionLLMAPIError;
  EXPECT_EQ(ExtensionLLMAPIError::httpError(404)->localizedDescription(), "HTTP error: 404");
  EXPECT_EQ(ExtensionLLMAPIError::invalidEndpointURL("ftp://x")->localizedDescription(),
            "Invalid API endpoint URL: 'ftp://x'. Please check your endpoint configuration and ensure it includes "
            "the protocol (https://).");
  EXPECT_EQ(ExtensionLLMAPIError::serviceNotAvailable("why")->localizedDescription(), "Service not available: why");
  std::vector<std::pair<ErrorCase, std::string>> plain{
      {ErrorCase::firebaseNotConfigured, "Firebase is not configured properly"},
      {ErrorCase::emptyResponse, "Received empty response from API"},
      {ErrorCase::invalidRequest, "Failed to create request"},
      {ErrorCase::invalidRequestData, "Failed to create request data"},
      {ErrorCase::invalidResponse, "Invalid response format"},
      {ErrorCase::noData, "No data received from API"},
      {ErrorCase::endpointNotConfigured,
       "API endpoint is not configured. Please set your API endpoint in the app settings."}};
  for (const auto& [c, text] : plain) {
    auto error = ExtensionLLMAPIError::make(c);
    EXPECT_EQ(error->localizedDescription(), text);
    EXPECT_TRUE(quorbel::isExtensionError(error, c));
  }
  EXPECT_FALSE(quorbel::isExtensionError(platform::makeError("NSURLErrorDomain", -1001, "x"), ErrorCase::noData));
}

}  // namespace
