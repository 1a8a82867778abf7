#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "mailkit/ReplySession.hpp"

namespace mailkit {

// Draws a loaded view controller of the extension; the program supplies it,
// since only the program knows the extension's views.
using ViewFactory = std::function<QWidget*(MEExtensionViewController& controller, QWidget* parent)>;

// Mail's compose window for a reply: recipients, subject and body, with the
// extension's toolbar button that opens its popover below it, recipient
// annotations, and Send. Both buttons take the keyboard focus and have keys:
// Ctrl+Return sends, Alt+Q opens and closes the popover (from the window:
// keys typed in the popover are its own). It opens within the screen's
// available area, smaller where the screen has less room.
class ComposeWindow : public QMainWindow {
 public:
  ComposeWindow(std::unique_ptr<ReplySession> session, ViewFactory viewFactory,
                std::optional<std::filesystem::path> outFile);
  ~ComposeWindow() override;

  // The toolbar button: opens the popover, or closes it when it is open.
  void toggleExtensionPopover();
  QWidget* popover() const { return popover_; }
  // Told each time the popover has been shown.
  void onPopoverShown(std::function<void(QWidget* popover)> callback) { popoverShown_ = std::move(callback); }

  QToolButton* sendButton() const { return sendButton_; }
  QToolButton* extensionButton() const { return extensionButton_; }
  QLineEdit* toField() const { return to_; }
  QLineEdit* subjectField() const { return subject_; }
  QLabel* annotationsLabel() const { return annotations_; }
  QPlainTextEdit* bodyEditor() const { return body_; }
  void send();

 private:
  void openPopover();
  void closePopover();
  void updateDraft();
  void annotate();

  std::unique_ptr<ReplySession> session_;
  ViewFactory viewFactory_;
  std::optional<std::filesystem::path> outFile_;
  QToolButton* sendButton_;
  QToolButton* extensionButton_;
  QLineEdit* to_;
  QLineEdit* subject_;
  QLabel* annotations_;
  QPlainTextEdit* body_;
  QPointer<QWidget> popover_;
  std::shared_ptr<MEExtensionViewController> popoverController_;
  std::function<void(QWidget*)> popoverShown_;
};

}  // namespace mailkit
