#include "compose_views/ExtensionViews.hpp"

#include <QLabel>

#include "compose/ComposeSessionViewController.hpp"
#include "compose/MessageSecurityHandler.hpp"
#include "compose_views/MailPopoverView.hpp"

namespace quorbel::views {

QWidget* makeExtensionView(mailkit::MEExtensionViewController& controller, QWidget* parent) {
  if (auto* compose = dynamic_cast<ComposeSessionViewController*>(&controller))
    return compose->popover() ? new MailPopoverView(compose->popover(), parent) : nullptr;
  if (auto* security = dynamic_cast<MessageSecurityViewController*>(&controller)) {
    auto* label = new QLabel(QString::fromStdString(security->text()), parent);
    label->setWordWrap(true);
    label->setMargin(16);
    return label;
  }
  return nullptr;
}

}  // namespace quorbel::views
