#include "compose/ComposeSessionViewController.hpp"

#include "compose/PopoverSizeDefaults.hpp"
#include "foundation/Console.hpp"
#include "foundation/OSLog.hpp"
#include "shared_settings/BuiltInModel.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

// Every provider must be able to open the popover: a built-in model that the
// client refuses is logged and left out, and the router reports its own error
// when a request takes the built-in road.
std::shared_ptr<firebase::vertexai::GenerativeModel> makeModel() {
  auto model = makeBuiltInModel(ExtensionConfig::geminiModel());
  if (model) return *model;
  platform::OSLog("com.holdrin.quorbel.extension", "ComposeSessionViewController")
      .log(platform::LogType::info, "Built-in model not created: " + model.error()->localizedDescription());
  return nullptr;
}

}  // namespace

ComposeSessionViewController::ComposeSessionViewController(std::shared_ptr<LLMService> service)
    : llmService(std::move(service)), model_(makeModel()) {
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
