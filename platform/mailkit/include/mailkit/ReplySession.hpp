#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "mailkit/Handlers.hpp"
#include "mailkit/MessageFile.hpp"

namespace mailkit {

// Plays Mail's part for one compose window that answers a message file: it
// asks the extension for a compose-session handler, hands it a session whose
// original message carries the file's raw bytes, and runs the handler's
// operations the way Mail does. Without a display this is the whole host; the
// compose window drives the same object.
class ReplySession {
 public:
  static std::expected<std::unique_ptr<ReplySession>, std::string> open(MEExtension& extension,
                                                                         const std::filesystem::path& messageFile);
  ~ReplySession();
  ReplySession(const ReplySession&) = delete;
  ReplySession& operator=(const ReplySession&) = delete;

  MEComposeSession& session() { return *session_; }
  const MessageFile& original() const { return original_; }

  // The toolbar button: a new view controller from the handler, loaded.
  std::shared_ptr<MEExtensionViewController> openExtensionView();

  // Tells the handler about edited recipients and subject.
  void updateDraft(MEMessage draft);
  void annotateRecipients(std::function<void(AddressAnnotations)> completion);

  // Send: asks the handler whether the message may go; when it may, writes
  // the outgoing message with the handler's extra headers to `outFile`.
  // Completes with the handler's refusal or a write failure, else no error.
  void send(const std::string& body, const std::filesystem::path& outFile,
            std::function<void(platform::ErrorPtr)> completion);

 private:
  ReplySession(MessageFile original, std::shared_ptr<MEComposeSession> session,
               std::shared_ptr<MEComposeSessionHandler> handler);
  MessageFile original_;
  std::shared_ptr<MEComposeSession> session_;
  std::shared_ptr<MEComposeSessionHandler> handler_;
};

// The body a reply starts with: a blank line for the answer, then the
// original quoted the way mail programs quote it, under "<From> wrote:".
// The answer goes before it.
std::string quotedOriginal(const MessageFile& original);

// The outgoing message as written on Send: To, Cc, Subject, In-Reply-To,
// the extra header fields, then the body; CRLF line ends.
std::string outgoingMessageText(const MEMessage& draft, const std::string& body, const HeaderFields& extraHeaders,
                                const std::optional<std::string>& inReplyTo);

}  // namespace mailkit
