#pragma once

#include <string>

#include "foundation/Json.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/LoopbackServer.hpp"

namespace compose_test {

// Points the shared settings at an OpenAI-compatible server on 127.0.0.1.
inline void useOpenAIServer(const test_support::LoopbackServer& server) {
  auto suite = platform::UserDefaults::suite("group.tesvarin.quorbel");
  suite->set("llm_provider", "openai");
  suite->set("llm_endpoint", server.baseURL());
  suite->set("llm_api_key", "sk-loopback-test-key");
  suite->set("llm_model", "gpt-4o-mini");
  suite->synchronize();
}

// A chat-completions reply carrying `answer`.
inline test_support::LoopbackServer::Reply chatReply(const std::string& answer) {
  platform::json::Value body{{"choices", {{{"message", {{"role", "assistant"}, {"content", answer}}}}}}};
  test_support::LoopbackServer::Reply reply;
  reply.body = *platform::json::serialize(body);
  return reply;
}

// The prompt a chat-completions request carried as the user's message.
inline std::string promptOf(const test_support::LoopbackServer::Request& request) {
  auto body = platform::json::parse(request.body);
  return body ? (*body)["messages"].back()["content"].get<std::string>() : std::string();
}

}  // namespace compose_test
