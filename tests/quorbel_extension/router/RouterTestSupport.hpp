#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "foundation/Dispatch.hpp"
#include "foundation/Json.hpp"
#include "foundation/UserDefaults.hpp"
#include "firebase_core/FIRApp.hpp"
#include "router/ExtensionConfig.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/LLMResult.hpp"
#include "router/UserSettingsAccessor.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace router_test {

inline constexpr const char* kSuiteName = "group.tesvarin.quorbel";

// Records every call of a completion: how often, with what, on which thread,
// and whether it had already run when the call that started the request
// returned.
class CompletionProbe {
 public:
  quorbel::LLMCompletion completion() {
    return [state = state_](quorbel::LLMResult result) {
      state->onMainThread = platform::isMainThread();
      state->result = std::move(result);
      // Counted last: a reader that sees the count also sees the result.
      state->calls.fetch_add(1);
    };
  }
  int calls() const { return state_->calls.load(); }
  bool calledOnMainThread() const { return state_->onMainThread; }
  const quorbel::LLMResult& result() const { return *state_->result; }

  // Drives the main queue until the completion ran, then a little longer so a
  // second call would be seen.
  void waitForCompletion() {
    ASSERT_TRUE(test_support::runMainQueueUntil([this] { return calls() > 0; })) << "the completion never ran";
    platform::RunLoop::runFor(std::chrono::milliseconds(30));
    ASSERT_EQ(calls(), 1) << "the completion ran more than once";
  }

  std::string answer() const {
    if (!state_->result || !*state_->result) return "<no answer>";
    return **state_->result;
  }
  platform::ErrorPtr error() const {
    if (!state_->result || *state_->result) return nullptr;
    return state_->result->error();
  }
  bool failedWith(quorbel::ExtensionLLMAPIError::Case c) const { return quorbel::isExtensionError(error(), c); }

 private:
  struct State {
    std::atomic<int> calls{0};
    bool onMainThread = false;
    std::optional<quorbel::LLMResult> result;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Routes one prompt and waits for its one completion.
inline CompletionProbe generate(const std::string& prompt = "Reply to Anna",
                                const std::optional<std::string>& systemPrompt = std::nullopt) {
  CompletionProbe probe;
  quorbel::ExtensionLLMAPIService::shared().generateContent(prompt, systemPrompt, probe.completion());
  probe.waitForCompletion();
  return probe;
}

inline std::shared_ptr<platform::UserDefaults> suite(const std::string& name = kSuiteName) {
  auto opened = platform::UserDefaults::suite(name);
  EXPECT_TRUE(opened) << "cannot open " << name;
  return opened;
}

inline std::filesystem::path dotEnvPath() {
  return test_support::IsolatedEnvironment::bundlePath() / "Resources" / ".env";
}

inline void writeDotEnv(const std::string& contents) {
  std::filesystem::create_directories(dotEnvPath().parent_path());
  std::ofstream(dotEnvPath(), std::ios::binary) << contents;
}

// Replaces the suite's file with bytes that are not a property list, so the
// suite cannot be opened.
inline void corruptSuiteFile(const std::string& name = kSuiteName) {
  auto file = platform::UserDefaults::fileForDomain(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << "this is not a property list";
  platform::UserDefaults::resetForTesting();
}

inline platform::json::Value jsonOf(const std::string& body) {
  auto parsed = platform::json::parse(body);
  EXPECT_TRUE(parsed) << "not JSON: " << body;
  return parsed ? *parsed : platform::json::Value();
}

// How a reply ends: with an answer, refused as invalidResponse, or with the
// JSON reader's own error.
enum class Outcome { answer, invalidResponse, jsonError };

inline void expectOutcome(const CompletionProbe& probe, Outcome outcome, const std::string& answer) {
  EXPECT_TRUE(probe.calledOnMainThread());
  switch (outcome) {
    case Outcome::answer: EXPECT_EQ(probe.answer(), answer); break;
    case Outcome::invalidResponse:
      EXPECT_TRUE(probe.failedWith(quorbel::ExtensionLLMAPIError::Case::invalidResponse));
      break;
    case Outcome::jsonError:
      ASSERT_TRUE(probe.error());
      EXPECT_EQ(probe.error()->domain(), platform::json::kErrorDomain);
      EXPECT_EQ(probe.error()->code(), platform::json::kReadCorruptCode);
      break;
  }
}

inline std::filesystem::path optionsListPath() {
  return test_support::IsolatedEnvironment::bundlePath() / "Resources" / "GoogleService-Info.plist";
}

// Every test starts as a fresh process of the extension would: empty
// settings, no ".env", no options list, no default app or Vertex AI
// instance, and the shared objects not made yet.
class RouterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    std::filesystem::remove(dotEnvPath());
    std::filesystem::remove(optionsListPath());
    quorbel::ExtensionConfig::resetForTesting();
    quorbel::ExtensionLLMAPIService::resetForTesting();
    quorbel::UserSettingsAccessor::resetForTesting();
    test_doubles::resetApps();
  }
};

}  // namespace router_test
