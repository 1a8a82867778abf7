#include "ui/Palette.hpp"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace ui::color {
namespace {

QColor fromPalette(QPalette::ColorRole role) { return QGuiApplication::palette().color(QPalette::Active, role); }

// Labels, separators and fills are the foreground colour at fixed strengths,
// as the platform defines them; deriving them keeps a dark palette readable.
QColor foregroundAt(double opacity) { return withOpacity(fromPalette(QPalette::WindowText), opacity); }

}  // namespace

QColor label() { return foregroundAt(0.85); }
QColor secondaryLabel() { return foregroundAt(0.5); }
QColor tertiaryLabel() { return foregroundAt(0.26); }
QColor quaternaryLabel() { return foregroundAt(0.1); }
QColor placeholderText() { return fromPalette(QPalette::PlaceholderText); }
QColor text() { return fromPalette(QPalette::Text); }
QColor textOnAccent() { return fromPalette(QPalette::HighlightedText); }

QColor windowBackground() { return fromPalette(QPalette::Window); }
QColor controlBackground() { return fromPalette(QPalette::Base); }
QColor textBackground() { return fromPalette(QPalette::Base); }
QColor separator() { return foregroundAt(0.1); }

QColor systemFill() { return foregroundAt(0.1); }
QColor secondarySystemFill() { return foregroundAt(0.08); }
QColor tertiarySystemFill() { return foregroundAt(0.05); }
QColor quaternarySystemFill() { return foregroundAt(0.03); }

QColor accent() { return fromPalette(QPalette::Highlight); }

QColor blue() { return QColor(0x00, 0x7a, 0xff); }
QColor green() { return QColor(0x28, 0xcd, 0x41); }
QColor orange() { return QColor(0xff, 0x95, 0x00); }
QColor red() { return QColor(0xff, 0x3b, 0x30); }
QColor purple() { return QColor(0xaf, 0x52, 0xde); }
QColor gray() { return QColor(0x8e, 0x8e, 0x93); }
QColor yellow() { return QColor(0xff, 0xcc, 0x00); }
QColor white() { return QColor(Qt::white); }
QColor black() { return QColor(Qt::black); }
QColor clear() { return QColor(Qt::transparent); }

QColor withOpacity(QColor color, double opacity) {
  color.setAlphaF(static_cast<float>(color.alphaF() * std::clamp(opacity, 0.0, 1.0)));
  return color;
}

}  // namespace ui::color
