// Setting the API mode from outside with the `defaults` command switches the
// built-in service to the worker proxy.
#include <cstdlib>

#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "test_support/LoopbackServer.hpp"

using quorbel::ExtensionLLMAPIService;
using router_test::generate;
using router_test::RouterTest;

namespace {

int runDefaults(const std::string& arguments) {
  // The child inherits XDG_CONFIG_HOME, so it writes the test's own suite.
  return std::system((std::string(DEFAULTS_COMMAND) + " " + arguments).c_str());
}

TEST_F(RouterTest, DefaultsCommandSwitchesTheBuiltInServiceToTheWorker) {
  test_support::LoopbackServer worker;
  worker.reply(200, R"({"success":true,"data":{"candidates":[{"content":{"parts":[{"text":"worker says hi"}]}}]}})");
  router_test::writeDotEnv("CLOUDFLARE_WORKER_URL=" + worker.baseURL() + "\nWORKER_API_KEY=\"dot-env-key\"\n");

  // Before: direct mode, and no default app in this build.
  auto before = generate();
  EXPECT_TRUE(before.failedWith(quorbel::ExtensionLLMAPIError::Case::firebaseNotConfigured));
  EXPECT_EQ(worker.requestCount(), 0u);

  ASSERT_EQ(runDefaults("write group.tesvarin.quorbel current_api_mode worker"), 0);

  auto after = generate();
  EXPECT_EQ(after.answer(), "worker says hi");
  EXPECT_TRUE(after.calledOnMainThread());
  ASSERT_EQ(worker.requestCount(), 1u);
  EXPECT_EQ(worker.lastRequest().path, "/google-api");
  EXPECT_EQ(worker.lastRequest().header("Authorization"), "Bearer dot-env-key");

  ASSERT_EQ(runDefaults("delete group.tesvarin.quorbel current_api_mode"), 0);
  EXPECT_TRUE(generate().failedWith(quorbel::ExtensionLLMAPIError::Case::firebaseNotConfigured));
  EXPECT_EQ(worker.requestCount(), 1u);
}

}  // namespace
