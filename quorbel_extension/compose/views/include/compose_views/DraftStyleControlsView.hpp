#pragma once

#include <QWidget>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"
#include "ui/LabeledSlider.hpp"
#include "ui/PopUpPicker.hpp"

namespace quorbel::views {

// Scenario, length and emotion of the reply; both mode panels show one, and
// both edit the same three fields.
class DraftStyleControlsView : public QWidget {
 public:
  DraftStyleControlsView(MailPopoverModel& popover, QWidget* parent = nullptr);

  ui::PopUpPicker* scenarioPicker() const { return scenario_; }
  ui::LabeledSlider* lengthSlider() const { return length_; }
  ui::LabeledSlider* emotionSlider() const { return emotion_; }

 private:
  ui::PopUpPicker* scenario_;
  ui::LabeledSlider* length_;
  ui::LabeledSlider* emotion_;
  Bindings bindings_;
};

}  // namespace quorbel::views
