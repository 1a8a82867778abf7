#include <iostream>

#include "foundation/DefaultsCommand.hpp"

int main(int argc, char** argv) {
  return platform::runDefaultsCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
