#pragma once

#include "ui/SymbolIcon.hpp"

#include <QWidget>

namespace ui {

// Shows one system symbol, like an image view in a stack: its size follows
// the point size, and contents margins pad it (the resize grip's padding).
class SymbolLabel : public QWidget {
  Q_OBJECT

 public:
  explicit SymbolLabel(const SymbolIcon& symbol, QWidget* parent = nullptr);

  void setSymbol(const SymbolIcon& symbol);
  void setName(const QString& name);
  void setColor(const QColor& color);
  const SymbolIcon& symbol() const { return symbol_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  SymbolIcon symbol_;
};

}  // namespace ui
