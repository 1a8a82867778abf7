#pragma once

#include <QPainterPath>
#include <QString>
#include <QStringList>

#include <optional>

namespace ui::symbols {

// The side of the square that symbol outlines are drawn in.
constexpr qreal kDesignSize = 24;

// The filled outline of a symbol in the 24-unit design square, its lines
// drawn `lineScale` times as thick as at regular weight; none for a name the
// catalogue doesn't know.
std::optional<QPainterPath> outline(const QString& name, qreal lineScale);

// What stands in for an unknown name: a dashed rounded square.
QPainterPath placeholderOutline(qreal lineScale);

bool contains(const QString& name);
QStringList names();

}  // namespace ui::symbols
