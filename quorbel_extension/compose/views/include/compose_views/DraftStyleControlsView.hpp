#pragma once

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QWidget>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"

namespace quorbel::views {

// Scenario, length and emotion of the reply; both mode panels show one, and
// both edit the same three fields.
class DraftStyleControlsView : public QWidget {
 public:
  DraftStyleControlsView(MailPopoverModel& popover, QWidget* parent = nullptr);

  QComboBox* scenarioPicker() const { return scenario_; }
  QSlider* lengthSlider() const { return length_; }
  QSlider* emotionSlider() const { return emotion_; }
  QLabel* lengthLabel() const { return lengthLabel_; }
  QLabel* emotionLabel() const { return emotionLabel_; }

 private:
  QComboBox* scenario_;
  QSlider* length_;
  QSlider* emotion_;
  QLabel* lengthLabel_;
  QLabel* emotionLabel_;
  Bindings bindings_;
};

}  // namespace quorbel::views
