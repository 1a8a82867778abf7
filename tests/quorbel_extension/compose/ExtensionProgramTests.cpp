#include <gtest/gtest.h>

#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>

#include "LoopbackSetup.hpp"
#include "foundation/Json.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_doubles/DirectRoadFailures.hpp"
#include "test_doubles/VertexAIBackend.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using compose_test::chatReply;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Where no display can be reached, whatever the machine running the tests has.
const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u QT_QPA_PLATFORM ";

// Runs a real program (its settings in this test's folders, in the given
// environment) and collects what it prints; a status from a signal is -1.
Outcome runCommand(const std::string& command, const test_support::TempDir& folder) {
  auto errFile = folder.path() / "stderr.txt";
  Outcome outcome;
  FILE* pipe = popen((command + " 2>" + errFile.string()).c_str(), "r");
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) outcome.out.append(buffer, n);
  int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.err = test_support::readFile(errFile);
  return outcome;
}

Outcome runProgram(const std::string& arguments, const test_support::TempDir& folder,
                   const std::string& environment = "QT_QPA_PLATFORM=offscreen ") {
  return runCommand(environment + QUORBEL_EXTENSION + " " + arguments, folder);
}

// The same with standard output on a terminal (a pseudo-terminal that passes
// the bytes through unchanged), as a person running the program sees it.
Outcome runOnTerminal(const std::string& arguments, const test_support::TempDir& folder) {
  const std::string command =
      "QT_QPA_PLATFORM=offscreen " + std::string(QUORBEL_EXTENSION) + " " + arguments + " 2>" +
      (folder.path() / "stderr.txt").string();
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    termios raw{};
    tcgetattr(STDOUT_FILENO, &raw);
    cfmakeraw(&raw);
    tcsetattr(STDOUT_FILENO, TCSANOW, &raw);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Outcome outcome;
  char buffer[4096];
  // Reading ends with an error once the program has closed the terminal.
  for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) outcome.out.append(buffer, static_cast<std::size_t>(n));
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.err = test_support::readFile(folder.path() / "stderr.txt");
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

// Without a display, --out sends the draft as the window's Send button does.
TEST_F(ExtensionProgramTest, WriteSessionWithOutSendsTheDraft) {
  server.reply(chatReply("Dear Dana,\nI will join.\nSam"));
  const auto sent = folder.path() / "sent.eml";
  auto outcome = runProgram("reply " + message + " --mode write --out " + sent.string(), folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Dear Dana,\nI will join.\nSam\n");
  EXPECT_EQ(test_support::readFile(sent),
            "To: Dana <dana@example.org>\r\nSubject: Re: Mars offsite\r\nMIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n"
            "X-CustomHeader: This ia a custom header.\r\n\r\nDear Dana,\r\nI will join.\r\nSam\r\n\r\n"
            "Dana <dana@example.org> wrote:\r\n> <p>Can you join?</p>\r\n");
  // A recipient the extension refuses: nothing is written, and the reason said.
  const auto barred = folder.write("barred.eml", "From: x@example.com\r\nSubject: Hi\r\n\r\nHi");
  server.reply(chatReply("Hello"));
  auto refused = runProgram("reply " + barred.string() + " --mode write --out " + (folder.path() / "no.eml").string(),
                            folder);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("example.com is not a valid recipient domain"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "no.eml"));
}

TEST_F(ExtensionProgramTest, WriteSessionPrintsTheDraft) {
  server.reply(chatReply("Dear Dana,\nI will join.\nSam"));
  auto outcome = runProgram("reply " + message + " --mode write --instruction 'accept' --length 0", folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Dear Dana,\nI will join.\nSam\n");
  EXPECT_NE(outcome.err.find("🎯 ComposeSessionViewController: generateReply() called"), std::string::npos);
  EXPECT_EQ(outcome.err.find("Generated prompt: "), std::string::npos);  // private unless debugging
}

// The built-in service's direct road through the real program: its bundle's
// options list, the Vertex AI client and a backend on 127.0.0.1.
TEST_F(ExtensionProgramTest, WriteSessionOnTheDirectRoadPrintsTheModelsAnswer) {
  auto suite = platform::UserDefaults::suite("group.tesvarin.quorbel");
  suite->set("llm_provider", "gemini");
  suite->synchronize();
  test_doubles::VertexAIBackend backend;
  backend.answer("Dear Dana,\nI will join.\nSam");
  auto outcome = runProgram("reply " + message + " --mode write --instruction 'accept' --length 0", folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Dear Dana,\nI will join.\nSam\n");

  ASSERT_EQ(backend.server.requestCount(), 1u);
  auto request = backend.server.requests().front();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, test_doubles::VertexAIBackend::generatePath("gemini-2.0-flash-lite"));
  // The client's fields, in the order it sets them, among those libcurl adds.
  const std::vector<std::pair<std::string, std::string>> expected{
      {"x-goog-api-key", test_doubles::kShippedAPIKey},
      {"x-goog-api-client", "gl-swift/5 fire/11.12.0"},
      {"Content-Type", "application/json"},
      {"X-Firebase-AppId", test_doubles::kShippedAppID},
      {"X-Firebase-AppVersion", "1.0"}};
  std::vector<std::pair<std::string, std::string>> clientFields;
  for (const auto& field : request.headers)
    if (field.first.starts_with("x-goog-") || field.first.starts_with("X-Firebase-") || field.first == "Content-Type" ||
        field.first == "Authorization")
      clientFields.push_back(field);
  EXPECT_EQ(clientFields, expected);
  auto body = platform::json::parse(request.body);
  ASSERT_TRUE(body) << request.body;
  const std::string prompt = (*body)["contents"][0]["parts"][0]["text"].get<std::string>();
  EXPECT_NE(prompt.find("Can you join?"), std::string::npos) << prompt;
  EXPECT_EQ(request.body, R"({"contents":[{"role":"user","parts":[{"text":)" + platform::json::Value(prompt).dump() +
                              "}]}]}");
}

// The direct road through the real program when it fails: the session ends
// with status 1, no draft, and a line of its own holding the text the user
// reads (the client's log lines may come before or after it).
class DirectRoadProgramTest : public ExtensionProgramTest {
 protected:
  void SetUp() override {
    ExtensionProgramTest::SetUp();
    auto suite = platform::UserDefaults::suite("group.tesvarin.quorbel");
    suite->set("llm_provider", "gemini");
    suite->synchronize();
  }
  // Runs a Write session that must fail; whether it said `shown` on a line.
  ::testing::AssertionResult failsSaying(const std::string& shown, const std::string& environment = "") {
    auto outcome = runProgram("reply " + message + " --mode write --instruction 'accept'", folder,
                              "QT_QPA_PLATFORM=offscreen " + environment);
    if (outcome.status != 1 || !outcome.out.empty())
      return ::testing::AssertionFailure() << "status " << outcome.status << ", draft \"" << outcome.out << "\"";
    std::istringstream lines(outcome.err);
    for (std::string line; std::getline(lines, line);)
      if (line == shown) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no line \"" << shown << "\" in:\n" << outcome.err;
  }
};

class FailingReplyProgramTest : public DirectRoadProgramTest,
                                public ::testing::WithParamInterface<test_doubles::FailingReply> {};

TEST_P(FailingReplyProgramTest, EndsWithWhatWentWrong) {
  const auto& c = GetParam();
  test_doubles::VertexAIBackend backend;
  backend.server.reply(c.status, c.body, c.contentType);
  EXPECT_TRUE(failsSaying(c.shown));
  EXPECT_EQ(backend.server.requestCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Replies, FailingReplyProgramTest, ::testing::ValuesIn(test_doubles::failingReplies()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirectRoadProgramTest, ABackendThatCannotBeReachedOrNamedEndsWithWhatWentWrong) {
  for (const auto& c : test_doubles::failingBaseAddresses()) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(failsSaying(c.shown, "VERTEXAI_BASE_URL='" + c.value + "' "));
  }
}

TEST_F(DirectRoadProgramTest, AModelNameOutsidePlainCharactersIsRefusedBeforeSending) {
  test_doubles::VertexAIBackend backend;
  // The failure is printed as a diagnostic line: a control character shows escaped.
  struct Case {
    std::string printedModel;
    std::string inShell;
  } cases[] = {{"gemini-fl\u00E4sh", "'gemini-fl\u00E4sh'"}, {"gemini\\u{1}pro", "\"$(printf 'gemini\\001pro')\""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.inShell);
    EXPECT_TRUE(failsSaying("Service not available: Invalid model name \"" + c.printedModel +
                                "\" specified; see https://firebase.google.com/docs/vertex-ai/models for a list of "
                                "available models.",
                            "GEMINI_MODEL=" + c.inShell + " "));
  }
  EXPECT_EQ(backend.server.requestCount(), 0u);
}

// Fields the service leaves out of a reply do not cost the user the answer.
TEST_F(DirectRoadProgramTest, AReplyWithoutItsDefaultFieldsGivesTheDraft) {
  test_doubles::VertexAIBackend backend;
  backend.server.reply(200, R"({"candidates":[{"content":{"role":"model","parts":[{"text":"Dear Dana, yes."}]},)"
                            R"("finishReason":"STOP","citationMetadata":{},)"
                            R"("safetyRatings":[{"category":"HARM_CATEGORY_HARASSMENT","probabilityScore":0.02}]}],)"
                            R"("usageMetadata":{"promptTokenCount":40,"promptTokensDetails":[{"modality":"TEXT"}]}})");
  auto outcome = runProgram("reply " + message + " --mode write", folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Dear Dana, yes.\n");
}

TEST_F(ExtensionProgramTest, AgentSessionPrintsTheQuestions) {
  server.reply(chatReply("Can you join?\nWhich day suits you?"));
  auto outcome = runProgram("reply " + message + " --mode agent", folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Can you join?\nWhich day suits you?\n");
}

// An answer holding what a terminal acts on (a title change, a screen clear,
// a bidi override) reaches a pipe exactly and a terminal escaped, and the
// diagnostics on standard error show it escaped either way.
TEST_F(ExtensionProgramTest, ATerminalShowsTheAnswersControlCharactersEscaped) {
  const std::string answer = "Dear Dana,\n\x1B]0;pwned\x07\x1B[2JSee you\n\u202Etxt.exe";
  const std::string onTerminal = "Dear Dana,\n\\u{1B}]0;pwned\\u{7}\\u{1B}[2JSee you\n\\u{202E}txt.exe";
  const std::string inALogLine = "Dear Dana,\\n\\u{1B}]0;pwned\\u{7}\\u{1B}[2JSee you\\n\\u{202E}txt.exe";
  server.reply(chatReply(answer));
  const std::string arguments = "reply " + message + " --mode write";
  const Outcome piped = runProgram(arguments, folder);
  const Outcome shown = runOnTerminal(arguments, folder);
  for (const Outcome* outcome : {&piped, &shown}) {
    EXPECT_EQ(outcome->status, 0) << outcome->err;
    EXPECT_NE(outcome->err.find("Copied to pasteboard: " + inALogLine + "..."), std::string::npos) << outcome->err;
    EXPECT_EQ(outcome->err.find('\x1B'), std::string::npos) << outcome->err;
  }
  EXPECT_EQ(piped.out, answer + "\n");
  EXPECT_EQ(shown.out, onTerminal + "\n");
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

// Message files that are no message: each handler that reads one ends at
// once with the reason, whatever the file would give when read on.
struct SpecialMessageFile {
  const char* name;
  std::function<void(const std::filesystem::path&)> make;
  const char* reason;
};
void PrintTo(const SpecialMessageFile& c, std::ostream* os) { *os << c.name; }

class SpecialMessageFileTest : public ExtensionProgramTest, public ::testing::WithParamInterface<SpecialMessageFile> {};

TEST_P(SpecialMessageFileTest, IsRefusedWithItsReasonByEveryHandler) {
  const auto file = folder.path() / "special.eml";
  GetParam().make(file);
  const std::string line = "Cannot read the message file " + file.string() + ": " + GetParam().reason + "\n";
  // The window reads the file before it opens, as the session does.
  for (const std::string& arguments : {"action " + file.string(), "reply " + file.string() + " --mode write",
                                       "reply " + file.string()}) {
    // A file read on until its end would never end here.
    auto outcome = runProgram(arguments, folder, "QT_QPA_PLATFORM=offscreen timeout 120 ");
    EXPECT_EQ(outcome.status, 1) << arguments;
    EXPECT_TRUE(outcome.err.ends_with(line)) << arguments << outcome.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SpecialMessageFileTest,
    ::testing::Values(
        SpecialMessageFile{"Missing", [](const auto&) {}, "No such file or directory"},
        SpecialMessageFile{"Folder", [](const auto& file) { std::filesystem::create_directory(file); },
                           "Is a directory"},
        SpecialMessageFile{"Fifo", [](const auto& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
                           "Not a regular file"},
        SpecialMessageFile{"LinkToDevZero", [](const auto& file) { std::filesystem::create_symlink("/dev/zero", file); },
                           "Not a regular file"},
        SpecialMessageFile{"OneByteOver64MiB",
                           [](const auto& file) {
                             std::ofstream(file) << "Subject: big\n\n";
                             std::filesystem::resize_file(file, 64 * 1024 * 1024 + 1);  // a hole, no disk
                           },
                           "Larger than 64 MiB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExtensionProgramTest, ComposeWindowWithoutADisplaySaysWhatToDoInOneLine) {
  auto outcome = runProgram("reply " + message, folder, kNoDisplay);
  EXPECT_EQ(outcome.status, 3);  // its own status, not a signal
  EXPECT_TRUE(outcome.out.empty()) << outcome.out;
  ASSERT_TRUE(outcome.err.ends_with("\n"));
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  for (const char* part : {"no display was found: DISPLAY is not set", "--mode write", "QT_QPA_PLATFORM=offscreen",
                           "--screenshot FILE.png"})
    EXPECT_NE(outcome.err.find(part), std::string::npos) << part << " in " << outcome.err;
}

TEST_F(ExtensionProgramTest, UnknownPlatformPluginIsReportedInsteadOfAborting) {
  auto outcome = runProgram("reply " + message, folder, kNoDisplay + "QT_QPA_PLATFORM=offscren ");
  EXPECT_EQ(outcome.status, 3);
  EXPECT_NE(outcome.err.find("Qt has no platform plugin named offscren"), std::string::npos) << outcome.err;
}

TEST_F(ExtensionProgramTest, SessionsWithoutAWindowNeedNoDisplay) {
  server.reply(chatReply("Dear Dana,\nI will join.\nSam"));
  for (const std::string& arguments :
       {"reply " + message + " --mode write", "reply " + message + " --mode agent", "action " + message,
        std::string("content-rules"), std::string("security-status")}) {
    auto outcome = runProgram(arguments, folder, kNoDisplay);
    EXPECT_EQ(outcome.status, 0) << arguments << ": " << outcome.err;
    EXPECT_FALSE(outcome.out.empty()) << arguments;
  }
  auto defaults = runCommand(kNoDisplay + QUORBEL_DEFAULTS + " read group.tesvarin.quorbel llm_provider", folder);
  EXPECT_EQ(defaults.status, 0) << defaults.err;
  EXPECT_EQ(defaults.out, "openai\n");
}

// Widths edited in by hand that whole pixels cannot hold as they are.
struct StoredWidthCase {
  const char* name;
  double storedWidth;
  const char* shown;
};
void PrintTo(const StoredWidthCase& c, std::ostream* os) { *os << c.name; }

class StoredWidthProgramTest : public ExtensionProgramTest, public ::testing::WithParamInterface<StoredWidthCase> {};

TEST_P(StoredWidthProgramTest, PopoverStillOpens) {
  auto stored = platform::UserDefaults::suite("tesvarin.quorbel.extension");
  stored->set("preferredPopoverWidthKey", GetParam().storedWidth);
  stored->set("preferredPopoverHeightKey", 600.0);
  stored->synchronize();
  auto picture = folder.path() / "popover.png";
  // A popover that is never painted is never pictured either: the time limit
  // only ends such a run.
  auto outcome = runProgram("reply " + message + " --screenshot " + picture.string(), folder,
                            "timeout 120 env QT_QPA_PLATFORM=offscreen ");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find(std::string("📬 MailHost: Showing the extension's view at ") + GetParam().shown),
            std::string::npos)
      << outcome.out;
}

INSTANTIATE_TEST_SUITE_P(Widths, StoredWidthProgramTest,
                         // 4096 wide, narrowed to the offscreen screen's 800 pixels.
                         ::testing::Values(StoredWidthCase{"TooLargeForPixels", 1e12, "800x600"},
                                           StoredWidthCase{"BelowOnePixel", 0.5, "1x600"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExtensionProgramTest, ComposeWindowShowsThePopover) {
  auto picture = folder.path() / "popover.png";
  auto outcome = runProgram("reply " + message + " --screenshot " + picture.string(), folder);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("📬 MailHost: Showing the extension's view at 450x550"), std::string::npos);
  EXPECT_GT(std::filesystem::file_size(picture), 1000u);
}

}  // namespace
