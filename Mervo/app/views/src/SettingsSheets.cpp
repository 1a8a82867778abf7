#include "app_views/SettingsSheets.hpp"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "app_views/Stacks.hpp"
#include "ui/OnScreen.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"
#include "ui/TextEditor.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

// The platform's default padding around a sheet's content and its boxes.
constexpr int kDefaultPadding = 16;

// The settings text of both sheets: monospaced caption on a light box.
ui::FieldStyle boxStyle() {
  ui::FieldStyle style =
      ui::FieldStyle::filled(ui::color::withOpacity(ui::color::secondaryLabel(), 0.1), kDefaultPadding, 8);
  style.font = ui::font(ui::TextStyle::caption, ui::FontDesign::monospaced);
  return style;
}

// The sheet's column: the explanation first, then what the sheet adds; the
// toolbar button goes in a row of its own at the bottom trailing edge.
QVBoxLayout* sheetColumn(QDialog* sheet, const QString& title, const QString& explanation) {
  sheet->setWindowTitle(title);
  sheet->setMinimumSize(520, 420);
  ui::keepOnScreen(*sheet);
  auto* column = verticalStack(sheet, 16, kDefaultPadding);
  column->addWidget(wrappingText(explanation, ui::systemFont(16), ui::color::secondaryLabel(), sheet));
  return column;
}

void addToolbarButton(QVBoxLayout* column, ui::StyledButton* button) {
  auto* toolbar = horizontalStack(8);
  toolbar->addStretch();
  toolbar->addWidget(button);
  column->addLayout(toolbar);
}

}  // namespace

ExportSheet::ExportSheet(ContentViewState& state, QWidget* parent) : QDialog(parent) {
  auto* column = sheetColumn(this, "Export Settings", "Export your Mervo settings to backup or share with other devices.");
  text_ = new ui::TextEditor(boxStyle(), this);
  text_->setReadOnly(true);
  column->addWidget(text_, 1);
  copy_ = new ui::StyledButton("Copy to Clipboard", ui::ButtonStyle::borderedProminent(), this);
  column->addWidget(copy_, 0, Qt::AlignLeft);
  done_ = new ui::StyledButton("Done", ui::ButtonStyle::borderedProminent(), this);
  addToolbarButton(column, done_);

  bindings_.observe<std::string>(state.exportedSettings,
                                 [this](const std::string& text) { text_->setText(QString::fromStdString(text)); });
  connect(copy_, &QAbstractButton::clicked, this, [&state] { state.copyExportedSettings(); });
  connect(done_, &QAbstractButton::clicked, this, [&state] { state.dismissExportSheet(); });
}

void ExportSheet::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return done_->click();
  QDialog::keyPressEvent(event);
}

ImportSheet::ImportSheet(ContentViewState& state, QWidget* parent) : QDialog(parent) {
  auto* column =
      sheetColumn(this, "Import Settings", "Paste your exported settings JSON below to restore your configuration.");
  editor_ = new ui::TextEditor(boxStyle(), this);
  // Refused as it is pasted, before it is laid out: a text that long is no
  // settings export.
  editor_->limitText(UserSettings::kMaximumImportSize);
  connect(editor_, &ui::TextEditor::insertionRefused, this, [&state] { state.refuseOversizedImportText(); });
  column->addWidget(editor_, 1);
  import_ = new ui::StyledButton("Import Settings", ui::ButtonStyle::borderedProminent(), this);
  column->addWidget(import_, 0, Qt::AlignLeft);
  cancel_ = new ui::StyledButton("Cancel", ui::ButtonStyle::bordered(), this);
  addToolbarButton(column, cancel_);

  bindings_.text(editor_, state.importText);
  bindings_.observe<std::string>(state.importText, [this, &state](const std::string&) { import_->setEnabled(state.canImport()); });
  connect(import_, &QAbstractButton::clicked, this, [&state] { state.requestImport(); });
  connect(cancel_, &QAbstractButton::clicked, this, [&state] { state.cancelImportSheet(); });
}

}  // namespace mervo::views
