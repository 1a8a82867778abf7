#include "app/CommandLine.hpp"

#include <map>

namespace mervo {

std::expected<MervoCommand, std::string> parseMervoCommandLine(const std::vector<std::string>& arguments) {
  static const std::map<std::string, MainTab> tabs{
      {"home", MainTab::home}, {"features", MainTab::features}, {"prompt", MainTab::prompt}, {"models", MainTab::apiConfig}};
  MervoCommand command;
  bool choseTab = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const auto& option = arguments[i];
    if (option != "--screenshot" && option != "--tab" && option != "--provider")
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
    } else {
      auto provider = fromRawValue<LLMProvider>(value);
      if (!provider) return std::unexpected("no provider named " + value);
      command.provider = provider;
    }
  }
  if (!command.screenshot && (choseTab || command.provider))
    return std::unexpected("--tab and --provider only go with --screenshot");
  if (command.provider && command.tab != MainTab::apiConfig) return std::unexpected("--provider goes with --tab models");
  return command;
}

}  // namespace mervo
