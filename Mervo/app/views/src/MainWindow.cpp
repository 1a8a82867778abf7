#include "app_views/MainWindow.hpp"

#include <QMenuBar>

#include "app_views/CheckForUpdatesView.hpp"
#include "app_views/ContentView.hpp"
#include "foundation/Bundle.hpp"
#include "ui/AlertDialog.hpp"
#include "ui/OnScreen.hpp"

namespace mervo::views {
namespace {

QString infoString(const char* key) {
  const auto* value = platform::Bundle::main().objectForInfoDictionaryKey(key);
  const auto* text = value ? value->asString() : nullptr;
  return text ? QString::fromStdString(*text) : QString();
}

}  // namespace

MainWindow::MainWindow(AppEnvironment environment, sparkle::Updater& updater, QWidget* parent)
    : QMainWindow(parent), content_(new ContentView(environment, this)) {
  setWindowTitle("Mervo");
  setCentralWidget(content_);

  applicationMenu_ = menuBar()->addMenu("Mervo");
  applicationMenu_->addAction("About Mervo", this, &MainWindow::showAbout);
  applicationMenu_->addAction(makeCheckForUpdatesAction(updater, applicationMenu_));
  applicationMenu_->addSeparator();
  auto* quit = applicationMenu_->addAction("Quit Mervo", this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  fileMenu_ = menuBar()->addMenu("File");
  auto& state = content_->state();
  fileMenu_->addAction("Export Settings…", this, [&state] { state.exportSettings(); });
  fileMenu_->addAction("Import Settings…", this, [&state] { state.openImportSheet(); });
  fileMenu_->addSeparator();
  auto* close = fileMenu_->addAction("Close Window", this, &QWidget::close);
  close->setShortcut(QKeySequence::Close);

  resize(800, 600 + menuBar()->sizeHint().height());
  ui::keepOnScreen(*this);
}

void MainWindow::showAbout() {
  auto* about = new ui::AlertDialog("Mervo", "Version " + infoString("CFBundleShortVersionString") + " (" +
                                                 infoString("CFBundleVersion") + ")", this);
  about->addButton("OK");
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

}  // namespace mervo::views
