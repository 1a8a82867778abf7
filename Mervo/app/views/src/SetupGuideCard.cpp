#include "app_views/SetupGuideCard.hpp"

#include <QPainter>
#include <QVBoxLayout>

#include "app_views/Stacks.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

// The step's number on a light accent disc.
class NumberBadge : public QWidget {
 public:
  NumberBadge(const QString& number, bool isCompact, QWidget* parent)
      : QWidget(parent), number_(number), side_(compactOr(isCompact, 24, 28)) {
    setFont(ui::systemFont(compactOr(isCompact, 12, 14), ui::FontWeight::bold));
    setFixedSize(side_, side_);
    setAccessibleName(number);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ui::color::withOpacity(ui::color::accent(), 0.2));
    painter.drawEllipse(QRectF(rect()));
    painter.setPen(ui::color::blue());
    painter.drawText(rect(), Qt::AlignCenter, number_);
  }

 private:
  QString number_;
  int side_;
};

struct Step {
  const char* number;
  const char* title;
  const char* description;
};

constexpr Step kSteps[] = {
    {"1", "Enable Quote Original Message", "Go to Settings > Composing in Apple Mail"},
    {"2", "Turn on Quote Feature", "Enable 'Quote the text of the original message' when replying"},
    {"3", "Start Using Smart Reply", "The extension will understand email context for better suggestions"},
};

ui::BoxStyle guideStyle(bool isCompact) {
  const int padding = compactOr(isCompact, 16, 20);
  return {ui::color::secondarySystemFill(), ui::color::withOpacity(ui::color::secondaryLabel(), 0.3), 1, 16,
          QMargins(padding, padding, padding, padding)};
}

}  // namespace

SetupStepView::SetupStepView(const QString& number, const QString& title, const QString& description, bool isCompact,
                             QWidget* parent)
    : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(12);
  row->addWidget(new NumberBadge(number, isCompact, this), 0, Qt::AlignTop);
  row->addLayout(titleAndDescription(title, description, isCompact, this), 1);
}

SetupGuideCard::SetupGuideCard(bool isCompact, QWidget* parent) : ui::RoundedCard(guideStyle(isCompact), parent) {
  contentLayout()->setSpacing(compactOr(isCompact, 12, 16));
  auto* header = horizontalStack(10);
  const int headerSize = compactOr(isCompact, 18, 20);
  header->addWidget(new ui::SymbolLabel(ui::SymbolIcon("gear.badge", headerSize, ui::color::blue()), this));
  header->addWidget(ui::makeText("Setup Guide", ui::systemFont(headerSize, ui::FontWeight::semibold), ui::color::label(), this));
  header->addStretch();
  contentLayout()->addLayout(header);
  auto* steps = new QVBoxLayout;
  steps->setSpacing(compactOr(isCompact, 10, 12));
  for (const auto& step : kSteps) steps->addWidget(new SetupStepView(step.number, step.title, step.description, isCompact, this));
  contentLayout()->addLayout(steps);
}

}  // namespace mervo::views
