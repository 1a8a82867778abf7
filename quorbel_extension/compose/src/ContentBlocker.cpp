#include "compose/ContentBlocker.hpp"

#include "compose/BundleResource.hpp"

namespace quorbel {

std::string ContentBlocker::contentRulesJSON() { return readBundleResource("ContentBlockerRules", "json").value_or(""); }

}  // namespace quorbel
