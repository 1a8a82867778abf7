// The built-in service as the product has it: the default app comes from the
// app core, and without a Vertex AI client a request says so instead of
// pretending to answer.
#include <filesystem>

#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "router/BuiltInService.hpp"
#include "router/ExtensionLLMAPIService.hpp"

using quorbel::BuiltInService;
using quorbel::ExtensionLLMAPIError;

namespace {

void installOptionsList() {
  std::filesystem::create_directories(router_test::optionsListPath().parent_path());
  std::filesystem::copy_file(OPTIONS_LIST, router_test::optionsListPath(),
                             std::filesystem::copy_options::overwrite_existing);
}

class AppCoreBuiltInService : public router_test::RouterTest {};

}  // namespace

TEST_F(AppCoreBuiltInService, WithoutAnOptionsListNoDefaultAppExistsAndTheDirectRoadIsNotConfigured) {
  auto& service = BuiltInService::shared();
  auto failure = service.configureDefaultAppIfNeeded();
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->empty());
  EXPECT_FALSE(service.defaultAppOptions());

  router_test::CompletionProbe probe;
  quorbel::ExtensionLLMAPIService::shared().generateContent("Hello", std::nullopt, probe.completion());
  EXPECT_EQ(probe.calls(), 1);  // before anything is sent: already done
  EXPECT_TRUE(probe.failedWith(ExtensionLLMAPIError::Case::firebaseNotConfigured));
}

TEST_F(AppCoreBuiltInService, AConfiguredDefaultAppWithoutTheClientReportsTheServiceUnavailable) {
  installOptionsList();
  auto& service = BuiltInService::shared();
  EXPECT_EQ(service.configureDefaultAppIfNeeded(), std::nullopt);
  EXPECT_EQ(service.configureDefaultAppIfNeeded(), std::nullopt);  // a second call changes nothing
  auto options = service.defaultAppOptions();
  ASSERT_TRUE(options);
  EXPECT_FALSE(options->projectID.empty());
  EXPECT_FALSE(options->apiKey.empty());

  router_test::CompletionProbe probe;
  quorbel::ExtensionLLMAPIService::shared().generateContent("Hello", std::nullopt, probe.completion());
  EXPECT_EQ(probe.calls(), 0);  // the model call runs off the main thread
  probe.waitForCompletion();
  EXPECT_TRUE(probe.calledOnMainThread());
  EXPECT_TRUE(probe.failedWith(ExtensionLLMAPIError::Case::serviceNotAvailable));
  EXPECT_EQ(probe.error()->localizedDescription(),
            "Service not available: the Vertex AI client is not part of this build");
}
