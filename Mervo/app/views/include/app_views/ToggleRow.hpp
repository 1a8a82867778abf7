#pragma once

#include <QWidget>

#include "observable/Published.hpp"
#include "ui/Bindings.hpp"
#include "ui/Switch.hpp"

namespace mervo::views {

// A titled and described switch bound to a flag: the texts at the leading
// edge (the description wrapping under the title), the switch at the
// trailing edge. Toggling writes the flag and nothing else.
class ToggleRow : public QWidget {
  Q_OBJECT

 public:
  ToggleRow(const QString& title, const QString& description, platform::Published<bool>& isOn, bool isCompact,
            QWidget* parent = nullptr);
  ui::Switch* toggle() const { return toggle_; }

 private:
  ui::Switch* toggle_;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
