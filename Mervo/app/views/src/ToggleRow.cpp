#include "app_views/ToggleRow.hpp"

#include "app_views/Stacks.hpp"
#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {

ToggleRow::ToggleRow(const QString& title, const QString& description, platform::Published<bool>& isOn, bool isCompact,
                     QWidget* parent)
    : QWidget(parent), toggle_(new ui::Switch(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addLayout(titleAndDescription(title, description, isCompact, this), 1);
  row->addWidget(toggle_, 0, Qt::AlignVCenter);
  toggle_->setAccessibleName(title);
  bindings_.checked(toggle_, isOn);
}

}  // namespace mervo::views
