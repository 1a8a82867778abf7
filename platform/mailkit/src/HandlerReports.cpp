#include "mailkit/HandlerReports.hpp"

#include "mailkit/MessageFile.hpp"

namespace mailkit {

std::expected<std::string, std::string> messageActionReport(MEExtension& extension,
                                                            const std::filesystem::path& messageFile) {
  auto file = MessageFile::read(messageFile);
  if (!file) return std::unexpected(file.error());
  std::string report = "no action";
  extension.handlerForMessageActions()->decideActionForMessage(
      file->message(), [&](std::optional<MEMessageActionDecision> decision) {
        if (decision) report = std::string("background colour: ") + colorName(decision->action().backgroundColor());
      });
  return report;
}

std::string contentRulesReport(MEExtension& extension) { return extension.handlerForContentBlocker()->contentRulesJSON(); }

std::string securityStatusReport(MEExtension& extension) {
  std::string report;
  extension.handlerForMessageSecurity()->getEncodingStatusForMessage(
      MEMessage{}, MEComposeContext{}, [&](MEOutgoingMessageEncodingStatus status) {
        std::string failing;
        for (const auto& address : status.addressesFailingEncryption)
          failing += (failing.empty() ? "" : ", ") + address.rawString;
        report = std::string("can sign: ") + (status.canSign ? "true" : "false") + "\n" +
                 "can encrypt: " + (status.canEncrypt ? "true" : "false") + "\n" +
                 "security error: " + (status.securityError ? status.securityError->localizedDescription() : "none") +
                 "\n" + "addresses failing encryption: " + (failing.empty() ? "none" : failing) + "\n";
      });
  return report;
}

}  // namespace mailkit
