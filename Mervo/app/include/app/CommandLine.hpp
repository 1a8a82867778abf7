#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/MainTab.hpp"
#include "settings/LLMProvider.hpp"

namespace mervo {

// How Mervo was started. Without arguments (as a desktop launcher starts it)
// it opens its window; with --screenshot it saves a picture of the window,
// on the chosen tab, and quits.
struct MervoCommand {
  std::optional<std::filesystem::path> screenshot;
  MainTab tab = MainTab::home;
  // On the AI Models tab: the provider whose card is chosen first.
  std::optional<LLMProvider> provider;
  // The window's content size in the picture (a tall screen shown whole).
  std::optional<std::pair<int, int>> size;
};

inline constexpr const char* kMervoUsage =
    "usage: Mervo [--screenshot FILE.png [--tab home|features|prompt|models] [--provider gemini|openai|ollama|custom]\n"
    "             [--size WIDTHxHEIGHT]]\n"
    "       Mervo --help\n";

// --help (or -h) alone: the usage goes to standard output and Mervo ends at
// once, without a window.
bool isHelpRequest(const std::vector<std::string>& arguments);

std::expected<MervoCommand, std::string> parseMervoCommandLine(const std::vector<std::string>& arguments);

}  // namespace mervo
