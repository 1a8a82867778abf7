#pragma once

#include <QBoxLayout>
#include <QLabel>
#include <QWidget>

namespace mervo::views {

// The screens are told as stacks with a spacing and a padding; these make
// them as Qt layouts.
QVBoxLayout* verticalStack(QWidget* owner, int spacing, int padding = 0);
QHBoxLayout* horizontalStack(int spacing);

// A text that wraps onto further lines rather than being cut off.
QLabel* wrappingText(const QString& text, const QFont& font, const QColor& color, QWidget* parent);

// A title (system c14/r16 medium) over its wrapping description (system
// c12/r14, secondary), 4 apart: settings rows and setup steps.
QVBoxLayout* titleAndDescription(const QString& title, const QString& description, bool isCompact, QWidget* parent);

// c when compact, r otherwise: the screens' sizes come in pairs.
constexpr int compactOr(bool isCompact, int compact, int regular) { return isCompact ? compact : regular; }

}  // namespace mervo::views
