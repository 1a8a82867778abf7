#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "compose/EditorMode.hpp"

namespace quorbel {

// A compose session without a display: the popover's flows run as the
// buttons would run them.
struct ScriptedSessionOptions {
  EditorMode mode = EditorMode::write;
  std::string instruction;
  std::optional<std::string> scenario;
  std::optional<int> draftLengthValue;
  std::optional<int> emotionLevel;
  std::optional<std::filesystem::path> answersFile;  // AI Agent: one answer a line
  std::optional<std::string> refinement;
};

// `reply MESSAGE.eml ...`: the compose window, or the scripted session when
// a mode is given.
struct ReplyCommand {
  std::filesystem::path messageFile;
  std::optional<std::filesystem::path> outFile;  // where Send writes
  std::optional<ScriptedSessionOptions> script;
  bool showAssistant = false;                       // open the popover at once
  std::optional<std::filesystem::path> screenshot;  // save the popover and quit
};
struct MessageActionCommand {
  std::filesystem::path messageFile;
};
struct ContentRulesCommand {};
struct SecurityStatusCommand {};

using Command = std::variant<ReplyCommand, MessageActionCommand, ContentRulesCommand, SecurityStatusCommand>;

// The arguments after the program's name; the error text explains what is
// wrong.
std::expected<Command, std::string> parseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsage;
// --help (or -h) alone: the usage goes to standard output and the program
// succeeds.
bool isHelpRequest(const std::vector<std::string>& arguments);

}  // namespace quorbel
