#pragma once

namespace mailkit {

// Mail's message colours, with Mail's numbering.
enum class MEMessageActionMessageColor { none = 0, green = 1, yellow = 2, orange = 3, red = 4, purple = 5, blue = 6, gray = 7 };

const char* colorName(MEMessageActionMessageColor color);

// Something Mail does to an incoming message.
class MEMessageAction {
 public:
  static MEMessageAction setBackgroundColorActionWithColor(MEMessageActionMessageColor color) {
    return MEMessageAction(color);
  }
  MEMessageActionMessageColor backgroundColor() const { return color_; }
  bool operator==(const MEMessageAction&) const = default;

 private:
  explicit MEMessageAction(MEMessageActionMessageColor color) : color_(color) {}
  MEMessageActionMessageColor color_;
};

// A message-action handler's answer: the action to apply.
class MEMessageActionDecision {
 public:
  static MEMessageActionDecision applyAction(MEMessageAction action) { return MEMessageActionDecision(action); }
  const MEMessageAction& action() const { return action_; }

 private:
  explicit MEMessageActionDecision(MEMessageAction action) : action_(action) {}
  MEMessageAction action_;
};

}  // namespace mailkit
