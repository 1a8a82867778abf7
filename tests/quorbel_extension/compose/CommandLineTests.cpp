#include <gtest/gtest.h>

#include <ostream>

#include "compose/CommandLine.hpp"

namespace {

using namespace quorbel;

std::expected<Command, std::string> parse(std::vector<std::string> arguments) { return parseCommandLine(arguments); }

TEST(CommandLine, ComposeWindow) {
  auto command = parse({"reply", "m.eml", "--out", "sent.eml"});
  ASSERT_TRUE(command.has_value());
  auto& reply = std::get<ReplyCommand>(*command);
  EXPECT_EQ(reply.messageFile, "m.eml");
  EXPECT_EQ(reply.outFile, std::filesystem::path("sent.eml"));
  EXPECT_FALSE(reply.script.has_value());
}

TEST(CommandLine, ScriptedSession) {
  auto command = parse({"reply", "m.eml", "--mode", "agent", "--scenario", "casual", "--length", "0", "--emotion",
                        "4", "--answers", "a.txt", "--refine", "shorter"});
  ASSERT_TRUE(command.has_value()) << command.error();
  const auto& script = *std::get<ReplyCommand>(*command).script;
  EXPECT_EQ(script.mode, EditorMode::aiAgent);
  EXPECT_EQ(script.scenario, "casual");
  EXPECT_EQ(script.draftLengthValue, 0);
  EXPECT_EQ(script.emotionLevel, 4);
  EXPECT_EQ(script.answersFile, std::filesystem::path("a.txt"));
  EXPECT_EQ(script.refinement, "shorter");
}

TEST(CommandLine, OtherHandlers) {
  EXPECT_TRUE(std::holds_alternative<MessageActionCommand>(*parse({"action", "m.eml"})));
  EXPECT_TRUE(std::holds_alternative<ContentRulesCommand>(*parse({"content-rules"})));
  EXPECT_TRUE(std::holds_alternative<SecurityStatusCommand>(*parse({"security-status"})));
}

struct Rejected {
  const char* name;
  std::vector<std::string> arguments;
  std::string error;
};

void PrintTo(const Rejected& c, std::ostream* os) { *os << c.name; }

class RejectedCommandLine : public ::testing::TestWithParam<Rejected> {};

TEST_P(RejectedCommandLine, ExplainsWhy) {
  auto command = parse(GetParam().arguments);
  ASSERT_FALSE(command.has_value());
  EXPECT_EQ(command.error(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RejectedCommandLine,
    ::testing::Values(Rejected{"NoCommand", {}, "no command given"}, Rejected{"ReplyWithoutMessage", {"reply"}, "reply needs a message file"},
                      Rejected{"UnknownMode", {"reply", "m", "--mode", "voice"}, "--mode takes write or agent"},
                      Rejected{"ScriptWithoutMode", {"reply", "m", "--instruction", "x"}, "a scripted session needs --mode write|agent"},
                      Rejected{"LengthOutOfRange", {"reply", "m", "--mode", "write", "--length", "3"},
                               "--length takes a whole number from 0 to 2"},
                      Rejected{"EmotionNotANumber", {"reply", "m", "--mode", "write", "--emotion", "2x"},
                               "--emotion takes a whole number from 0 to 4"},
                      Rejected{"ScenarioCapitalised", {"reply", "m", "--mode", "write", "--scenario", "Casual"},
                               "--scenario takes professional or casual"},
                      Rejected{"ModeWithoutValue", {"reply", "m", "--mode"}, "--mode needs a value"},
                      Rejected{"BlankRefinement", {"reply", "m", "--mode", "write", "--refine", " \n "},
                               "--refine needs an instruction that is not blank"},
                      Rejected{"AgentRefinementWithoutAnswers", {"reply", "m", "--mode", "agent", "--refine", "shorter"},
                               "--refine in agent mode needs --answers: without them there is no draft to refine"},
                      Rejected{"AgentOutWithoutAnswers", {"reply", "m", "--mode", "agent", "--out", "sent.eml"},
                               "--out in agent mode needs --answers: without them there is no draft to send"},
                      Rejected{"UnknownOption", {"reply", "m", "--bogus"}, "unknown option --bogus"},
                      Rejected{"ActionWithoutMessage", {"action"}, "action needs exactly one message file"},
                      Rejected{"UnknownCommand", {"send"}, "unknown command send"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
