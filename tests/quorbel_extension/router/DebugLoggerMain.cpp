// Appends COUNT debug lines "<PREFIX> <thread> <i>" from each of THREADS
// threads at once: used by the tests to have several compose sessions log
// at the same time.
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "router/ExtensionConfig.hpp"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string prefix = argv[1];
  const int threads = std::atoi(argv[2]);
  const int count = std::atoi(argv[3]);
  std::vector<std::thread> running;
  for (int t = 0; t < threads; ++t)
    running.emplace_back([&, t] {
      for (int i = 0; i < count; ++i) quorbel::logExtensionDebug(prefix + " " + std::to_string(t) + " " + std::to_string(i));
    });
  for (auto& thread : running) thread.join();
  return 0;
}
