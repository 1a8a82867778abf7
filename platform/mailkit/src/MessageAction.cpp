#include "mailkit/MessageAction.hpp"

namespace mailkit {

const char* colorName(MEMessageActionMessageColor color) {
  switch (color) {
    case MEMessageActionMessageColor::none: return "none";
    case MEMessageActionMessageColor::green: return "green";
    case MEMessageActionMessageColor::yellow: return "yellow";
    case MEMessageActionMessageColor::orange: return "orange";
    case MEMessageActionMessageColor::red: return "red";
    case MEMessageActionMessageColor::purple: return "purple";
    case MEMessageActionMessageColor::blue: return "blue";
    case MEMessageActionMessageColor::gray: return "gray";
  }
  return "none";
}

}  // namespace mailkit
