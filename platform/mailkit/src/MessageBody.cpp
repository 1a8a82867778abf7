#include "mailkit/MessageBody.hpp"

#include "mailkit/HTMLToPlainText.hpp"

namespace mailkit {

std::string readableText(const BodyPart& textPart) {
  return textPart.kind == BodyPart::Kind::htmlText ? htmlToPlainText(textPart.text)
                                                   : readPlainText(textPart.text, textPart.format);
}

}  // namespace mailkit
