// The client's marker class is declared before main, so the core's first
// configuration in a process names the client in the user agent. A program
// of its own: the core reads the declared classes once per process.
#include <gtest/gtest.h>

#include "FirebaseVertexAI/FirebaseVertexAIComponent.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIROptions.hpp"
#include "test_doubles/VertexAIBackend.hpp"

namespace firebase::vertexai {
namespace {

TEST(MarkerClass, TheUserAgentNamesTheClientFromTheFirstConfiguration) {
  auto marker = FIRLibraryClass::named("FIRVertexAIComponent");
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->componentsToRegister(), std::nullopt);
  test_doubles::configureDefaultAppFromShippedOptions();
  EXPECT_NE(FIRApp::firebaseUserAgent().find("fire-vertex/11.12.0"), std::string::npos) << FIRApp::firebaseUserAgent();
}

}  // namespace
}  // namespace firebase::vertexai
