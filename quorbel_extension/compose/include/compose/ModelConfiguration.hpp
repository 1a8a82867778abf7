#pragma once

#include <string>

namespace quorbel {

// The model choice the popover shows; the router picks the model it uses
// from the shared settings.
struct ModelConfiguration {
  std::string id;  // a fresh UUID
  std::string name;
  std::string modelName;
  bool operator==(const ModelConfiguration&) const = default;

  // "Gemini Flash Lite (Default)" with the configured Gemini model.
  static ModelConfiguration defaultConfiguration();
};

}  // namespace quorbel
