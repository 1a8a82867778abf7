#pragma once

#include <ostream>

#include "compose/CommandLine.hpp"
#include "compose/MailPopoverModel.hpp"

namespace quorbel {

// Drives a popover through one scripted session, pressing what a person
// would press and running the main queue until each request is answered.
// Writes the draft (or, in AI Agent mode without answers, the questions one
// per line) to `out`; on failure writes the error's text to `err` and
// returns non-zero.
int runScriptedSession(MailPopoverModel& popover, const ScriptedSessionOptions& options, std::ostream& out,
                       std::ostream& err);

}  // namespace quorbel
