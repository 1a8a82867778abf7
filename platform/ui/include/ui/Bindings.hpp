#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "observable/Published.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/Switch.hpp"
#include "ui/TextEditor.hpp"
#include "ui/TextField.hpp"

namespace ui {

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

  // Re-evaluates `update` whenever one of the fields changes.
  template <typename... Fields>
  void recompute(std::function<void()> update, Fields&... fields) {
    update();
    (subscriptions_.push_back(fields.onChange([update](const auto&) { update(); })), ...);
  }

  // Shows the widget while the field holds.
  void visible(QWidget* widget, platform::Published<bool>& field) {
    observe<bool>(field, [widget](bool shown) { widget->setVisible(shown); });
  }

  // A text field or editor editing a text, both ways. Only edits are written
  // back: what the widget makes of a value it is shown (a "\r\n" held as
  // "\n", a key cut to a line's length, bytes that are not UTF-8) never
  // replaces the value. Except a single-line field's line breaks: it shows
  // a value on one line, and that line becomes the value, as though pasted,
  // so that what is saved is what the field shows.
  template <typename Field>
  void text(Field* field, platform::Published<std::string>& value) {
    static_assert(std::is_same_v<Field, TextField> || std::is_same_v<Field, TextEditor>);
    auto showing = std::make_shared<bool>(false);
    // What the widget itself just wrote: it shows that already, and a long
    // text is not worth converting back on every keystroke.
    auto written = std::make_shared<std::optional<std::string>>();
    observe<std::string>(value, [field, showing, written, &value](const std::string& text) {
      if (*written == text) return;
      const QString shown = QString::fromStdString(text);
      *showing = true;
      field->setText(shown);
      *showing = false;
      if constexpr (std::is_same_v<Field, TextField>) {
        const QString line = field->text();
        if (line != shown && line == TextField::asOneLine(shown) && shown.toStdString() == text)
          value = line.toStdString();
      }
    });
    QObject::connect(field, &Field::textChanged, field, [&value, showing, written](const QString& text) {
      if (*showing) return;
      std::string edited = text.toStdString();
      if (value.get() == edited) return;
      *written = edited;
      value = std::move(edited);
      written->reset();
    });
  }

  // A switch turning a flag on and off, both ways.
  void checked(Switch* toggle, platform::Published<bool>& value) {
    observe<bool>(value, [toggle](bool on) { toggle->setChecked(on); });
    QObject::connect(toggle, &Switch::toggled, toggle, [&value](bool on) {
      if (value.get() != on) value = on;
    });
  }

  // A disclosure group folding with an expansion field, both ways.
  void expanded(DisclosureGroup* group, platform::Published<bool>& value) {
    observe<bool>(value, [group](bool open) { group->setExpanded(open); });
    QObject::connect(group, &DisclosureGroup::expandedChanged, group, [&value](bool open) {
      if (value.get() != open) value = open;
    });
  }

 private:
  std::vector<platform::Cancellable> subscriptions_;
};

}  // namespace ui
