#include "ui/Workspace.hpp"

#include <QDesktopServices>

namespace ui {

Workspace& Workspace::shared() {
  static Workspace workspace;
  return workspace;
}

bool Workspace::openURL(const QUrl& url) { return opener_ ? opener_(url) : QDesktopServices::openUrl(url); }

void Workspace::setOpener(Opener opener) { opener_ = std::move(opener); }

}  // namespace ui
