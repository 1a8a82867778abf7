#pragma once

#include "mailkit/Handlers.hpp"

namespace quorbel {

// Colours incoming messages whose subject mentions "Mars" red.
class MessageActionHandler : public mailkit::MEMessageActionHandler {
 public:
  void decideActionForMessage(const mailkit::MEMessage& message,
                              std::function<void(std::optional<mailkit::MEMessageActionDecision>)> completion) override;
};

}  // namespace quorbel
