#include "compose_views/DisclosureSection.hpp"

namespace quorbel::views {

DisclosureSection::DisclosureSection(const QString& title, platform::Published<bool>& expanded, QWidget* parent)
    : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  header_ = new QToolButton(this);
  header_->setText(title);
  header_->setCheckable(true);
  header_->setAutoRaise(true);
  header_->setFocusPolicy(Qt::NoFocus);  // no focus effect
  header_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  column->addWidget(header_);
  content_ = new QWidget(this);
  contentLayout_ = new QVBoxLayout(content_);
  contentLayout_->setContentsMargins(0, 0, 0, 0);
  contentLayout_->setSpacing(10);
  column->addWidget(content_);

  bindings_.observe<bool>(expanded, [this](bool open) {
    header_->setChecked(open);
    header_->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    content_->setVisible(open);
  });
  connect(header_, &QToolButton::toggled, this, [&expanded](bool open) {
    if (expanded.get() != open) expanded = open;
  });
}

}  // namespace quorbel::views
