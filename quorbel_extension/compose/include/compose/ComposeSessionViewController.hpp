#pragma once

#include <memory>
#include <string>

#include "FirebaseVertexAI/GenerativeModel.hpp"
#include "compose/LLMService.hpp"
#include "compose/MailPopoverModel.hpp"
#include "mailkit/MEExtensionViewController.hpp"

namespace quorbel {

// What Mail shows when the user opens the assistant in a compose window: the
// popover at its last size, with the quoted message and the service every
// request goes through. The view (quorbel_compose_views) draws `popover()`.
class ComposeSessionViewController : public mailkit::MEExtensionViewController,
                                     public std::enable_shared_from_this<ComposeSessionViewController> {
 public:
  explicit ComposeSessionViewController(std::shared_ptr<LLMService> llmService = routerLLMService());

  // Plain text of the message being answered, set before the view loads.
  std::string quotedEmailContent;
  const std::shared_ptr<LLMService> llmService;
  double preferredPopoverWidth = 450;
  double preferredPopoverHeight = 550;

  // Opens the popover at the stored size (the defaults when none is stored).
  void loadView() override;
  // The popover's state; null until loadView().
  std::shared_ptr<MailPopoverModel> popover() const { return popover_; }

  // The built-in service's generative model, made at creation; null when the
  // client refused it (no default app, options without project ID or API key,
  // an unusable model name), which is logged. The popover's requests go
  // through the router instead.
  const std::shared_ptr<firebase::vertexai::GenerativeModel>& model() const { return model_; }

 private:
  void storeSize(MailPopoverModel::Size size);
  std::shared_ptr<firebase::vertexai::GenerativeModel> model_;
  std::shared_ptr<MailPopoverModel> popover_;
};

}  // namespace quorbel
