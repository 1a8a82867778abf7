#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "LoopbackSetup.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using compose_test::chatReply;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the real program (its settings in this test's folders) and collects
// what it prints.
Outcome runProgram(const std::string& arguments, const test_support::TempDir& folder) {
  auto errFile = folder.path() / "stderr.txt";
  std::string command = "QT_QPA_PLATFORM=offscreen " + std::string(QUORBEL_EXTENSION) + " " + arguments + " 2>" +
                        errFile.string();
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) outcome.out.append(buffer, n);
  int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.err = test_support::readFile(errFile);
  return outcome;
}

class ExtensionProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    compose_test::useOpenAIServer(server);
    message = folder.write("offsite.eml",
                           "From: Dana <dana@example.org>\r\nSubject: Mars offsite\r\n\r\n<p>Can you join?</p>").string();
  }
  test_support::LoopbackServer server;
  test_support::TempDir folder;
  std::string message;
};

TEST_F(ExtensionProgramTest, WriteSessionPrintsTheDraft) {
  server.reply(chatReply("Dear Dana,\nI will join.\nSam"));
  auto outcome = runProgram("reply " + message + " --mode write --instruction 'accept' --length 0", folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Dear Dana,\nI will join.\nSam\n");
  EXPECT_NE(outcome.err.find("🎯 ComposeSessionViewController: generateReply() called"), std::string::npos);
  EXPECT_EQ(outcome.err.find("Generated prompt: "), std::string::npos);  // private unless debugging
}

TEST_F(ExtensionProgramTest, AgentSessionPrintsTheQuestions) {
  server.reply(chatReply("Can you join?\nWhich day suits you?"));
  auto outcome = runProgram("reply " + message + " --mode agent", folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Can you join?\nWhich day suits you?\n");
}

TEST_F(ExtensionProgramTest, FailureExitsNonZeroWithTheErrorText) {
  server.reply(401, "{\"error\":\"bad key\"}");
  auto outcome = runProgram("reply " + message + " --mode write", folder);
  EXPECT_NE(outcome.status, 0);
  EXPECT_TRUE(outcome.out.empty());
  EXPECT_NE(outcome.err.find("401"), std::string::npos) << outcome.err;
}

TEST_F(ExtensionProgramTest, OtherHandlersOnDemand) {
  EXPECT_EQ(runProgram("action " + message, folder).out, "background colour: red\n");
  auto plain = folder.write("plain.eml", "Subject: mars\n\nx").string();
  EXPECT_EQ(runProgram("action " + plain, folder).out, "no action\n");
  EXPECT_EQ(runProgram("content-rules", folder).out,
            test_support::readFile(std::filesystem::path(QUORBEL_RESOURCES) / "ContentBlockerRules.json"));
  EXPECT_EQ(runProgram("security-status", folder).out,
            "can sign: false\ncan encrypt: false\nsecurity error: none\naddresses failing encryption: none\n");
  EXPECT_EQ(runProgram("send", folder).status, 2);
}

TEST_F(ExtensionProgramTest, ComposeWindowShowsThePopover) {
  auto picture = folder.path() / "popover.png";
  auto outcome = runProgram("reply " + message + " --screenshot " + picture.string(), folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("📬 MailHost: Showing the extension's view at 450x550"), std::string::npos);
  EXPECT_GT(std::filesystem::file_size(picture), 1000u);
}

}  // namespace
