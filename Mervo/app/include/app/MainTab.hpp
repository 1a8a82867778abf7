#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "settings/RawValueEnum.hpp"

namespace mervo {

// The window's tabs; the raw values are their titles.
enum class MainTab { home, features, prompt, apiConfig };

template <>
struct RawValueCases<MainTab> {
  static constexpr std::array cases{
      std::pair{MainTab::home, std::string_view("Home")},
      std::pair{MainTab::features, std::string_view("Features")},
      std::pair{MainTab::prompt, std::string_view("AI Prompt")},
      std::pair{MainTab::apiConfig, std::string_view("AI Models")},
  };
};

// The system symbol of the tab's button.
constexpr std::string_view symbol(MainTab tab) {
  switch (tab) {
    case MainTab::home: return "house.fill";
    case MainTab::features: return "square.grid.2x2.fill";
    case MainTab::prompt: return "brain.head.profile";
    case MainTab::apiConfig: return "cpu";
  }
  return {};
}

}  // namespace mervo
