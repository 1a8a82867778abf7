#include "compose/MessageActionHandler.hpp"

namespace quorbel {

void MessageActionHandler::decideActionForMessage(
    const mailkit::MEMessage& message, std::function<void(std::optional<mailkit::MEMessageActionDecision>)> completion) {
  if (message.subject.find("Mars") == std::string::npos) return completion(std::nullopt);
  completion(mailkit::MEMessageActionDecision::applyAction(
      mailkit::MEMessageAction::setBackgroundColorActionWithColor(mailkit::MEMessageActionMessageColor::red)));
}

}  // namespace quorbel
