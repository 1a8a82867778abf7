#include "ui/FieldStyle.hpp"

#include "ui/Palette.hpp"
#include "ui/Typography.hpp"

namespace ui {

FieldStyle FieldStyle::roundedBorder() {
  return {{color::textBackground(), color::withOpacity(color::black(), 0.2), 1, 5, QMargins(6, 3, 6, 3)},
          ui::font(TextStyle::body),
          color::text(),
          true};
}

FieldStyle FieldStyle::filled(const QColor& fill, int padding, qreal cornerRadius) {
  return {{fill, color::clear(), 0, cornerRadius, QMargins(padding, padding, padding, padding)},
          ui::font(TextStyle::body),
          color::label(),
          false};
}

}  // namespace ui
