#include "compose_views/PopoverParts.hpp"

#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace quorbel::views {

ui::StyledButton* makeDraftButton(QWidget* parent) {
  auto* button = new ui::StyledButton("Draft", ui::ButtonStyle::borderedProminent(), parent);
  button->setSymbol("wand.and.stars");
  return button;
}

QLabel* makeErrorText(QWidget* parent) {
  auto* label = ui::makeText({}, ui::font(ui::TextStyle::body), ui::color::red(), parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace quorbel::views
