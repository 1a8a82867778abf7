#include "compose/CommandLine.hpp"

#include <algorithm>
#include <charconv>
#include <map>

#include "foundation/Text.hpp"

namespace quorbel {

const char* const kUsage =
    "usage:\n"
    "  quorbel_extension reply MESSAGE.eml [--out FILE] [--show-assistant] [--screenshot FILE.png]\n"
    "  quorbel_extension reply MESSAGE.eml --mode write|agent [--instruction TEXT]\n"
    "                    [--scenario professional|casual] [--length 0-2] [--emotion 0-4]\n"
    "                    [--answers FILE] [--refine TEXT] [--out FILE]\n"
    "  quorbel_extension action MESSAGE.eml\n"
    "  quorbel_extension content-rules\n"
    "  quorbel_extension security-status\n"
    "  quorbel_extension --help\n";

namespace {

std::expected<int, std::string> integerInRange(const std::string& option, const std::string& text, int low, int high) {
  int value = 0;
  auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (fault != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::unexpected(option + " takes a whole number from " + std::to_string(low) + " to " +
                           std::to_string(high));
  return value;
}

std::expected<ReplyCommand, std::string> parseReply(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return std::unexpected("reply needs a message file");
  ReplyCommand command;
  command.messageFile = arguments[1];
  std::map<std::string, std::string> values;
  static const std::vector<std::string> valued{"--out",      "--mode",   "--instruction", "--scenario",
                                               "--length",   "--emotion", "--answers",    "--refine",
                                               "--screenshot"};
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    const auto& option = arguments[i];
    if (option == "--show-assistant") {
      command.showAssistant = true;
    } else if (std::find(valued.begin(), valued.end(), option) != valued.end()) {
      if (i + 1 >= arguments.size()) return std::unexpected(option + " needs a value");
      values[option] = arguments[++i];
    } else {
      return std::unexpected("unknown option " + option);
    }
  }
  if (values.contains("--out")) command.outFile = values["--out"];
  if (values.contains("--screenshot")) command.screenshot = values["--screenshot"];

  bool scripted = std::any_of(values.begin(), values.end(), [](const auto& entry) {
    return entry.first != "--out" && entry.first != "--screenshot";
  });
  if (!scripted) return command;
  if (!values.contains("--mode")) return std::unexpected("a scripted session needs --mode write|agent");
  ScriptedSessionOptions script;
  const auto& mode = values["--mode"];
  if (mode == "write") {
    script.mode = EditorMode::write;
  } else if (mode == "agent") {
    script.mode = EditorMode::aiAgent;
  } else {
    return std::unexpected("--mode takes write or agent");
  }
  script.instruction = values["--instruction"];
  if (values.contains("--scenario")) {
    if (values["--scenario"] != "professional" && values["--scenario"] != "casual")
      return std::unexpected("--scenario takes professional or casual");
    script.scenario = values["--scenario"];
  }
  if (values.contains("--length")) {
    auto length = integerInRange("--length", values["--length"], 0, 2);
    if (!length) return std::unexpected(length.error());
    script.draftLengthValue = *length;
  }
  if (values.contains("--emotion")) {
    auto emotion = integerInRange("--emotion", values["--emotion"], 0, 4);
    if (!emotion) return std::unexpected(emotion.error());
    script.emotionLevel = *emotion;
  }
  if (values.contains("--answers")) script.answersFile = values["--answers"];
  if (values.contains("--refine")) {
    // The refine button stays disabled for a blank instruction, and in agent
    // mode there is a draft to refine only once the questions are answered.
    if (platform::text::isBlank(values["--refine"])) return std::unexpected("--refine needs an instruction that is not blank");
    if (script.mode == EditorMode::aiAgent && !script.answersFile)
      return std::unexpected("--refine in agent mode needs --answers: without them there is no draft to refine");
    script.refinement = values["--refine"];
  }
  // Send needs a draft, and agent mode has one only once the questions are
  // answered.
  if (command.outFile && script.mode == EditorMode::aiAgent && !script.answersFile)
    return std::unexpected("--out in agent mode needs --answers: without them there is no draft to send");
  command.script = std::move(script);
  return command;
}

}  // namespace

bool isHelpRequest(const std::vector<std::string>& arguments) {
  return arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h");
}

std::expected<Command, std::string> parseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::unexpected("no command given");
  const auto& name = arguments[0];
  if (name == "reply") return parseReply(arguments);
  if (name == "action") {
    if (arguments.size() != 2) return std::unexpected("action needs exactly one message file");
    return MessageActionCommand{arguments[1]};
  }
  if (name == "content-rules" && arguments.size() == 1) return ContentRulesCommand{};
  if (name == "security-status" && arguments.size() == 1) return SecurityStatusCommand{};
  return std::unexpected("unknown command " + name);
}

}  // namespace quorbel
