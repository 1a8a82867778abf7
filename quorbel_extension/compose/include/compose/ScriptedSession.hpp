#pragma once

#include <ostream>

#include "compose/CommandLine.hpp"
#include "compose/MailPopoverModel.hpp"
#include "mailkit/ReplySession.hpp"

namespace quorbel {

// How the model's text reaches `out`: exactly as sent (a pipe or a file, for
// the automation that reads it), or with the control characters that a
// terminal would act on escaped (text::escapedForTerminal).
enum class DraftOutput { exact, terminal };

// Drives a popover through one scripted session, pressing what a person
// would press and running the main queue until each request is answered.
// Writes the draft (or, in AI Agent mode without answers, the questions one
// per line) to `out`; on failure writes the error's text to `err`, as a
// diagnostic line, and returns non-zero.
int runScriptedSession(MailPopoverModel& popover, const ScriptedSessionOptions& options, std::ostream& out,
                       std::ostream& err, DraftOutput draftOutput);

// Sends the draft as the compose window's Send button does: the draft above
// the quoted original, written with the reply's header fields and the
// extension's extra ones to `outFile`, once the extension lets it go. On
// refusal or failure writes the reason to `err` and returns non-zero.
int sendDraft(mailkit::ReplySession& session, const std::string& draft, const std::filesystem::path& outFile,
              std::ostream& err);

}  // namespace quorbel
