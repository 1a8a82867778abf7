#pragma once

#include <QWidget>

#include "mailkit/MEExtensionViewController.hpp"

namespace quorbel::views {

// The view of one of the extension's view controllers, loaded: the popover
// for a compose session, the signers text for the security view; null for
// any other controller.
QWidget* makeExtensionView(mailkit::MEExtensionViewController& controller, QWidget* parent);

}  // namespace quorbel::views
