#include "app/CommandLine.hpp"

#include <cstdio>
#include <map>

namespace mervo {

bool isHelpRequest(const std::vector<std::string>& arguments) {
  return arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h");
}

std::expected<MervoCommand, std::string> parseMervoCommandLine(const std::vector<std::string>& arguments) {
  static const std::map<std::string, MainTab> tabs{
      {"home", MainTab::home}, {"features", MainTab::features}, {"prompt", MainTab::prompt}, {"models", MainTab::apiConfig}};
  MervoCommand command;
  bool choseTab = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const auto& option = arguments[i];
    if (option != "--screenshot" && option != "--tab" && option != "--provider" && option != "--size")
      return std::unexpected("unknown argument: " + option);
    if (i + 1 >= arguments.size()) return std::unexpected(option + " needs a value");
    const auto& value = arguments[++i];
    if (option == "--screenshot") {
      command.screenshot = value;
    } else if (option == "--tab") {
      auto tab = tabs.find(value);
      if (tab == tabs.end()) return std::unexpected("no tab named " + value);
      command.tab = tab->second;
      choseTab = true;
    } else if (option == "--size") {
      int width = 0, height = 0;
      char rest = 0;
      if (std::sscanf(value.c_str(), "%dx%d%c", &width, &height, &rest) != 2 || width < 800 || height < 400 ||
          width > 8000 || height > 8000)
        return std::unexpected("--size takes WIDTHxHEIGHT, at least 800x400: " + value);
      command.size = std::pair(width, height);
    } else {
      auto provider = fromRawValue<LLMProvider>(value);
      if (!provider) return std::unexpected("no provider named " + value);
      command.provider = provider;
    }
  }
  if (!command.screenshot && (choseTab || command.provider || command.size))
    return std::unexpected("--tab, --provider and --size only go with --screenshot");
  if (command.provider && command.tab != MainTab::apiConfig) return std::unexpected("--provider goes with --tab models");
  return command;
}

}  // namespace mervo
