#include "mailkit_window/ComposeWindow.hpp"

#include <QAction>
#include <QEvent>
#include <QFormLayout>
#include <QKeySequence>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <fmt/format.h>

#include <utility>

#include "AnchoredPopover.hpp"
#include "foundation/Console.hpp"
#include "ui/OnScreen.hpp"

namespace mailkit {

namespace {

QString joined(const std::vector<MEEmailAddress>& addresses) {
  QStringList entries;
  for (const auto& address : addresses) entries << QString::fromStdString(address.rawString);
  return entries.join(", ");
}

// Runs a callback once, when the watched widget is first painted: the moment
// the person sees it.
class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWidget* widget, std::function<void()> callback) : QObject(widget), callback_(std::move(callback)) {
    widget->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && callback_) {
      auto callback = std::exchange(callback_, nullptr);
      QTimer::singleShot(0, this, callback);  // after the paint has finished
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> callback_;
};

// A button's tooltip, with the keys that press it.
QString withShortcut(const QString& tip, const QAction& action) {
  return tip + " (" + action.shortcut().toString(QKeySequence::NativeText) + ")";
}

}  // namespace

ComposeWindow::ComposeWindow(std::unique_ptr<ReplySession> session, ViewFactory viewFactory,
                             std::optional<std::filesystem::path> outFile)
    : session_(std::move(session)), viewFactory_(std::move(viewFactory)), outFile_(std::move(outFile)) {
  const auto& draft = session_->session().mailMessage();
  setWindowTitle(QString::fromStdString(draft.subject));

  auto* toolbar = addToolBar("Compose");
  toolbar->setMovable(false);
  auto* sendAction = toolbar->addAction("Send");
  sendAction->setEnabled(outFile_.has_value());
  sendAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  sendAction->setToolTip(outFile_ ? withShortcut("Writes the message to " + QString::fromStdString(outFile_->string()),
                                                 *sendAction)
                                  : "Start with --out FILE to send");
  connect(sendAction, &QAction::triggered, this, [this] { send(); });
  toolbar->addSeparator();
  auto* extensionAction = toolbar->addAction("✨ Quorbel");
  extensionAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Q));
  extensionAction->setToolTip(withShortcut("Open the writing assistant", *extensionAction));
  connect(extensionAction, &QAction::triggered, this, [this] { toggleExtensionPopover(); });
  for (auto* action : {sendAction, extensionAction}) {
    // Not while the popover has the keyboard: the keys typed there are its own.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
  }
  sendButton_ = qobject_cast<QToolButton*>(toolbar->widgetForAction(sendAction));
  extensionButton_ = qobject_cast<QToolButton*>(toolbar->widgetForAction(extensionAction));

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  auto* form = new QFormLayout();
  to_ = new QLineEdit(joined(draft.toAddresses), central);
  subject_ = new QLineEdit(QString::fromStdString(draft.subject), central);
  form->addRow("To:", to_);
  annotations_ = new QLabel(central);
  annotations_->setStyleSheet("color: red;");
  annotations_->setVisible(false);
  form->addRow("", annotations_);
  form->addRow("Subject:", subject_);
  column->addLayout(form);
  body_ = new QPlainTextEdit(QString::fromStdString(quotedOriginal(session_->original())), central);
  column->addWidget(body_, 1);
  setCentralWidget(central);
  // The keyboard reaches the toolbar's buttons after the draft, in the order
  // a reply is written; Tab leaves the draft rather than typing a tab.
  body_->setTabChangesFocus(true);
  sendButton_->setFocusPolicy(Qt::StrongFocus);
  extensionButton_->setFocusPolicy(Qt::StrongFocus);
  QWidget* const order[] = {to_, subject_, body_, sendButton_, extensionButton_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  to_->setFocus();  // not Send, which comes first on screen: Space there would send at once
  resize(720, 560);
  ui::keepOnScreen(*this);

  connect(to_, &QLineEdit::editingFinished, this, [this] { annotate(); });
  QTimer::singleShot(0, this, [this] { annotate(); });
}

ComposeWindow::~ComposeWindow() { closePopover(); }

void ComposeWindow::updateDraft() {
  MEMessage draft = session_->session().mailMessage();
  draft.toAddresses = parseAddressList(to_->text().toStdString());
  draft.subject = subject_->text().toStdString();
  session_->updateDraft(std::move(draft));
}

void ComposeWindow::annotate() {
  updateDraft();
  QPointer<ComposeWindow> window(this);
  session_->annotateRecipients([window](AddressAnnotations annotations) {
    if (!window) return;
    QStringList lines;
    for (const auto& [address, annotation] : annotations)
      lines << QString::fromStdString("⚠ " + address.rawString + ": " + annotation.localizedDescription());
    window->annotations_->setText(lines.join('\n'));
    window->annotations_->setVisible(!lines.isEmpty());
  });
}

void ComposeWindow::toggleExtensionPopover() {
  // A popover closed by Escape or a press outside it is hidden at once and
  // deleted a moment later: it no longer counts as open.
  const bool wasOpen = popover_ && popover_->isVisible();
  closePopover();
  if (!wasOpen) openPopover();
}

void ComposeWindow::openPopover() {
  popoverController_ = session_->openExtensionView();
  auto* frame = new AnchoredPopover(extensionButton_);
  QWidget* view = viewFactory_ ? viewFactory_(*popoverController_, frame) : nullptr;
  if (!view) {
    delete frame;
    popoverController_.reset();
    return;
  }
  view->resize(static_cast<int>(popoverController_->preferredContentSize.width),
               static_cast<int>(popoverController_->preferredContentSize.height));
  frame->setContent(view);
  popover_ = frame;
  // However it closes, the popover's state goes with it.
  connect(frame, &QObject::destroyed, this, [this] { popoverController_.reset(); });
  new FirstPaintWatcher(view, [this, frame] {
    platform::console::print(fmt::format("📬 MailHost: Showing the extension's view at {}x{}", frame->width(),
                                         frame->height()));
    if (popoverShown_) popoverShown_(frame);
  });
  frame->show();
  frame->activateWindow();
}

void ComposeWindow::closePopover() {
  // The view goes first; the controller follows, and with it the popover's
  // state, so an answer that arrives later finds nothing to change.
  delete popover_.data();
  popoverController_.reset();
}

void ComposeWindow::send() {
  if (!outFile_) return;
  updateDraft();
  QPointer<ComposeWindow> window(this);
  session_->send(body_->toPlainText().toStdString(), *outFile_, [window, this](platform::ErrorPtr error) {
    if (!window) return;
    if (error) {
      QMessageBox::warning(this, "Cannot Send Message", QString::fromStdString(error->localizedDescription()));
      return;
    }
    statusBar()->showMessage("Message written to " + QString::fromStdString(outFile_->string()));
  });
}

}  // namespace mailkit
