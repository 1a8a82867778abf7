#include "mailkit/ReplySession.hpp"

#include <algorithm>
#include <fstream>

namespace mailkit {

namespace {

// A line break inside a value would start a header field of its own.
std::string singleLine(std::string value) {
  std::replace_if(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return value;
}

std::string joinedAddresses(const std::vector<MEEmailAddress>& addresses) {
  std::string joined;
  for (const auto& address : addresses)
    joined += (joined.empty() ? "" : ", ") + encodedAddress({singleLine(address.rawString)});
  return joined;
}

}  // namespace

std::expected<std::unique_ptr<ReplySession>, std::string> ReplySession::open(MEExtension& extension,
                                                                            const std::filesystem::path& messageFile) {
  auto original = MessageFile::read(messageFile);
  if (!original) return std::unexpected(original.error());
  auto originalMessage = std::make_shared<const MEMessage>(original->message());
  auto session = std::make_shared<MEComposeSession>(original->replyDraft(), MEComposeContext{originalMessage});
  auto handler = extension.handlerForComposeSession(*session);
  handler->mailComposeSessionDidBegin(*session);
  return std::unique_ptr<ReplySession>(new ReplySession(std::move(*original), std::move(session), std::move(handler)));
}

ReplySession::ReplySession(MessageFile original, std::shared_ptr<MEComposeSession> session,
                           std::shared_ptr<MEComposeSessionHandler> handler)
    : original_(std::move(original)), session_(std::move(session)), handler_(std::move(handler)) {}

ReplySession::~ReplySession() { handler_->mailComposeSessionDidEnd(*session_); }

std::shared_ptr<MEExtensionViewController> ReplySession::openExtensionView() {
  auto controller = handler_->viewControllerForSession(*session_);
  controller->loadView();
  return controller;
}

void ReplySession::updateDraft(MEMessage draft) { session_->setMailMessage(std::move(draft)); }

void ReplySession::annotateRecipients(std::function<void(AddressAnnotations)> completion) {
  handler_->annotateAddresses(*session_, std::move(completion));
}

void ReplySession::send(const std::string& body, const std::filesystem::path& outFile,
                        std::function<void(platform::ErrorPtr)> completion) {
  handler_->canSendMessage(*session_, [this, body, outFile, completion](platform::ErrorPtr refusal) {
    if (refusal) return completion(refusal);
    std::ofstream out(outFile, std::ios::binary | std::ios::trunc);
    out << outgoingMessageText(session_->mailMessage(), body, handler_->additionalHeadersForSession(*session_),
                               original_.header("Message-ID"));
    out.close();
    if (!out) return completion(platform::makeError("MailHost", 1, "Cannot write " + outFile.string()));
    completion(nullptr);
  });
}

std::string quotedOriginal(const MessageFile& original) {
  std::string quoted = "\n\n" + original.header("From").value_or("The sender") + " wrote:\n";
  const std::string text = original.bodyText();
  for (std::size_t pos = 0;;) {
    std::size_t next = text.find('\n', pos);
    std::string line = text.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    std::erase(line, '\r');
    quoted += "> " + line;
    if (next == std::string::npos) break;
    quoted += '\n';
    pos = next + 1;
  }
  return quoted;
}

std::string outgoingMessageText(const MEMessage& draft, const std::string& body, const HeaderFields& extraHeaders,
                                const std::optional<std::string>& inReplyTo) {
  std::string text;
  auto field = [&](const std::string& name, const std::string& value) { text += name + ": " + singleLine(value) + "\r\n"; };
  field("To", joinedAddresses(draft.toAddresses));
  if (!draft.ccAddresses.empty()) field("Cc", joinedAddresses(draft.ccAddresses));
  field("Subject", encodedHeaderText(singleLine(draft.subject)));
  if (inReplyTo) field("In-Reply-To", *inReplyTo);
  field("MIME-Version", "1.0");
  field("Content-Type", "text/plain; charset=utf-8");
  field("Content-Transfer-Encoding", "8bit");
  for (const auto& [name, values] : extraHeaders)
    for (const auto& value : values) field(name, value);
  text += "\r\n";
  for (std::size_t pos = 0; pos <= body.size();) {
    std::size_t next = body.find('\n', pos);
    std::string line = body.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line + "\r\n";
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  return text;
}

}  // namespace mailkit
