#include "compose/ComposeSessionViewController.hpp"

#include "compose/PopoverSizeDefaults.hpp"
#include "foundation/Console.hpp"
#include "foundation/OSLog.hpp"
#include "router/BuiltInService.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

// Every provider must be able to open the popover: a built-in model that
// cannot be made is skipped and logged, and the built-in path reports its own
// error when a request uses it.
std::optional<ComposeSessionViewController::BuiltInModel> makeBuiltInModel() {
  const std::string& modelName = ExtensionConfig::geminiModel();
  if (auto problem = builtInServiceProblem(BuiltInService::shared(), modelName)) {
    platform::OSLog("com.holdrin.quorbel.extension", "ComposeSessionViewController")
        .log(platform::LogType::info, "Built-in model not created: " + *problem);
    return std::nullopt;
  }
  return ComposeSessionViewController::BuiltInModel{modelName, 180};
}

}  // namespace

ComposeSessionViewController::ComposeSessionViewController(std::shared_ptr<LLMService> service)
    : llmService(std::move(service)), model_(makeBuiltInModel()) {
  platform::console::print("🎯 ComposeSessionViewController: Initialized with LLM service: " + llmService->description());
}

void ComposeSessionViewController::loadView() {
  platform::console::print("🎯 ComposeSessionViewController: loadView() called");
  MailPopoverModel::Size size{popover_size::openingDimension(popover_size::storedWidth(), preferredPopoverWidth),
                              popover_size::openingDimension(popover_size::storedHeight(), preferredPopoverHeight)};
  popover_ = MailPopoverModel::make(size, quotedEmailContent, llmService,
                                    [weak = weak_from_this()](MailPopoverModel::Size newSize) {
                                      if (auto self = weak.lock()) self->storeSize(newSize);
                                    });
  preferredContentSize = {size.width, size.height};
}

void ComposeSessionViewController::storeSize(MailPopoverModel::Size size) {
  preferredPopoverWidth = size.width;
  preferredPopoverHeight = size.height;
  popover_size::store(size.width, size.height);
}

}  // namespace quorbel
