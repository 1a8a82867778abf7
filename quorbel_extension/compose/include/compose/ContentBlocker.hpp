#pragma once

#include "mailkit/Handlers.hpp"

namespace quorbel {

// Serves the bundle's "ContentBlockerRules.json" unexamined; empty when the
// resource is missing or unreadable.
class ContentBlocker : public mailkit::MEContentBlocker {
 public:
  std::string contentRulesJSON() override;
};

}  // namespace quorbel
