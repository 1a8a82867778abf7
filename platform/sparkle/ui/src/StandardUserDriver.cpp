#include "sparkle_ui/StandardUserDriver.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/AlertDialog.hpp"
#include "ui/ButtonStyle.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"
#include "ui/Workspace.hpp"

namespace sparkle_ui {
namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

bool isWebAddress(const QUrl& url) { return url.scheme() == "http" || url.scheme() == "https"; }

// Release notes come from the feed: shown as rich text, but nothing they
// name is loaded (no images, no local files), and links open in the browser
// only when they are web addresses.
class ReleaseNotesView : public QTextBrowser {
 public:
  explicit ReleaseNotesView(const QString& html, QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setHtml(html);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
      if (isWebAddress(url)) ui::Workspace::shared().openURL(url);
    });
  }
  QVariant loadResource(int, const QUrl&) override { return {}; }
};

// A newer release: what it is, its notes, and the way to its download page.
class UpdateFoundDialog : public QDialog {
 public:
  UpdateFoundDialog(const sparkle::AppcastItem& item, const sparkle::UpdaterConfiguration& host, QWidget* parent)
      : QDialog(parent) {
    setWindowTitle("Software Update");
    setMinimumSize(460, 320);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(8);
    column->addWidget(ui::makeText(qt("A new version of " + host.hostName + " is available"),
                                   ui::systemFont(13, ui::FontWeight::bold), ui::color::label(), this));
    auto* summary = ui::makeText(qt(host.hostName + " " + item.displayVersionString + " is available; you have " +
                                    host.hostDisplayVersion +
                                    ". Your package manager installs it, or get it from its download page."),
                                 ui::systemFont(11), ui::color::label(), this);
    summary->setWordWrap(true);
    column->addWidget(summary);
    if (!item.itemDescription.empty()) {
      column->addWidget(ui::makeText("Release Notes:", ui::systemFont(11, ui::FontWeight::bold), ui::color::label(), this));
      column->addWidget(new ReleaseNotesView(qt(item.itemDescription), this), 1);
    } else {
      column->addStretch(1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* later = new ui::StyledButton("Remind Me Later", ui::ButtonStyle::bordered(), this);
    connect(later, &QAbstractButton::clicked, this, &QDialog::reject);
    buttons->addWidget(later);
    if (auto page = item.downloadPageURL()) {
      auto* open = new ui::StyledButton("Open Download Page", ui::ButtonStyle::borderedProminent(), this);
      connect(open, &QAbstractButton::clicked, this, [this, url = QUrl(qt(*page))] {
        ui::Workspace::shared().openURL(url);
        accept();
      });
      buttons->addWidget(open);
    }
    column->addLayout(buttons);
  }
};

}  // namespace

void StandardUserDriver::present(QDialog* dialog) {
  if (dialog_) dialog_->close();
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog_ = dialog;
  dialog->show();
  dialog->raise();
}

void StandardUserDriver::showUpdateFound(const sparkle::AppcastItem& item, const sparkle::UpdaterConfiguration& host) {
  present(new UpdateFoundDialog(item, host, hostWindow_));
}

void StandardUserDriver::showUpdateNotFound(const sparkle::UpdaterConfiguration& host) {
  auto* alert = new ui::AlertDialog(qt(host.hostName + " is up to date"),
                                    qt("Version " + host.hostDisplayVersion + " is the newest version available."),
                                    hostWindow_);
  alert->addButton("OK");
  present(alert);
}

void StandardUserDriver::showUpdaterError(const platform::ErrorPtr& error) {
  auto* alert = new ui::AlertDialog("Update Check Failed", qt(error->localizedDescription()), hostWindow_);
  alert->addButton("OK");
  present(alert);
}

}  // namespace sparkle_ui
