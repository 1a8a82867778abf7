#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "observable/Published.hpp"

namespace quorbel::views {

// The subscriptions that tie a view's widgets to published fields; they end
// with the view.
class Bindings {
 public:
  // Runs `update` with the field's value now and after every change.
  template <typename T>
  void observe(platform::Published<T>& field, std::function<void(const T&)> update) {
    update(field.get());
    subscriptions_.push_back(field.onChange(std::move(update)));
  }

  // Shows the widget while the field holds.
  void visible(QWidget* widget, platform::Published<bool>& field) {
    observe<bool>(field, [widget](bool shown) { widget->setVisible(shown); });
  }

  // A single-line field editing a text in both directions.
  void text(QLineEdit* edit, platform::Published<std::string>& field) {
    observe<std::string>(field, [edit](const std::string& value) {
      if (edit->text().toStdString() != value) edit->setText(QString::fromStdString(value));
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [&field](const QString& value) { field = value.toStdString(); });
  }

  // Re-evaluates `update` whenever one of the fields changes.
  template <typename... Fields>
  void recompute(std::function<void()> update, Fields&... fields) {
    update();
    (subscriptions_.push_back(fields.onChange([update](const auto&) { update(); })), ...);
  }

 private:
  std::vector<platform::Cancellable> subscriptions_;
};

}  // namespace quorbel::views
