#pragma once

#include <QDialog>

#include "app/ContentViewState.hpp"
#include "ui/Bindings.hpp"

namespace ui {
class StyledButton;
class TextEditor;
}  // namespace ui

namespace mervo::views {

// The settings as JSON text, with "Copy to Clipboard" and "Done", which
// Return presses (the sheet's confirmation).
class ExportSheet : public QDialog {
  Q_OBJECT

 public:
  ExportSheet(ContentViewState& state, QWidget* parent);
  ui::TextEditor* settingsText() const { return text_; }
  ui::StyledButton* copyButton() const { return copy_; }
  ui::StyledButton* doneButton() const { return done_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ui::TextEditor* text_;
  ui::StyledButton* copy_;
  ui::StyledButton* done_;
  ui::Bindings bindings_;
};

// An editor for pasted settings, with "Import Settings" (enabled while the
// text is not blank; it asks for confirmation) and "Cancel". A paste that
// would make the text longer than an import reads is refused, and the
// window says so.
class ImportSheet : public QDialog {
  Q_OBJECT

 public:
  ImportSheet(ContentViewState& state, QWidget* parent);
  ui::TextEditor* editor() const { return editor_; }
  ui::StyledButton* importButton() const { return import_; }
  ui::StyledButton* cancelButton() const { return cancel_; }

 private:
  ui::TextEditor* editor_;
  ui::StyledButton* import_;
  ui::StyledButton* cancel_;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
