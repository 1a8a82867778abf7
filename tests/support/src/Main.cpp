#include "test_support/TestEnvironment.hpp"

QUORBEL_TEST_ENVIRONMENT;

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
