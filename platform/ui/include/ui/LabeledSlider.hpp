#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;

namespace ui {

class StepSlider;

// A StepSlider with a text that tells its value: either in a row
// ("Length:" [slider] "Medium", the value text in a fixed-width trailing
// frame) or as a caption above it ("Timeout (seconds): 30"). The text is
// made by the given function from the value and follows every change.
class LabeledSlider : public QWidget {
  Q_OBJECT

 public:
  using ValueText = std::function<QString(double)>;

  // Row form: the title before the slider, the value text after it.
  LabeledSlider(const QString& title, StepSlider* slider, ValueText valueText, int valueWidth, QWidget* parent = nullptr);
  // Caption form: the value text above the slider.
  LabeledSlider(StepSlider* slider, ValueText valueText, QWidget* parent = nullptr);

  StepSlider* slider() const { return slider_; }
  QLabel* valueLabel() const { return valueLabel_; }

 private:
  void showValue();

  StepSlider* slider_;
  QLabel* valueLabel_;
  ValueText valueText_;
};

}  // namespace ui
