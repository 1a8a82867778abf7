// `cmake --install` into a temporary prefix: each program runs from there as
// from the build tree, with the bundle installed for it, and each launcher
// entry starts a program that is there.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "Shell.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

namespace fs = std::filesystem;

// The word after `key=` on the entry's line of that key.
std::string programOf(const std::string& entry, const std::string& key) {
  std::istringstream lines(entry);
  for (std::string line; std::getline(lines, line);)
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1, line.find(' ') - key.size() - 1);
  return "";
}

TEST(InstalledPrograms, RunFromThePrefixWithTheirBundles) {
  test_support::TempDir prefix;
  const auto installed = packaging_test::run(std::string(CMAKE_COMMAND) + " --install " + BUILD_FOLDER + " --prefix " +
                                             prefix.path().string() + " --strip");
  ASSERT_EQ(installed.status, 0) << installed.err;
  test_support::resetDefaults();
  // A recent update check, so that Mervo does not reach for the made-up feed.
  auto& mervo = **platform::UserDefaults::openSuite("tesvarin.quorbel");
  mervo.set("SULastCheckTime", platform::PropertyValue::Date::fromTimePoint(std::chrono::system_clock::now()));
  mervo.synchronize();

  const fs::path bin = prefix.path() / "bin";
  const auto picture = prefix.path() / "picture.png";
  struct Case {
    std::string arguments;  // after the program's path in bin/
    std::string out;        // what standard output begins with
    bool draws;             // saves the picture
  };
  const Case cases[] = {
      {"defaults --help", "usage: defaults read DOMAIN [KEY]\n", false},
      {"quorbel_extension --help", "usage:\n  quorbel_extension reply MESSAGE.eml", false},
      {"Mervo --help", "usage: Mervo [--screenshot FILE.png", false},
      // Each of these needs its bundle's resources.
      {"quorbel_extension content-rules", test_support::readFile(CONTENT_RULES), false},
      {"quorbel_extension reply " SAMPLE_MESSAGE " --screenshot " + picture.string(), "", true},
      {"Mervo --screenshot " + picture.string(), "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove(picture);
    const auto ran = packaging_test::run("env QT_QPA_PLATFORM=offscreen " + (bin / c.arguments).string());
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(ran.out.starts_with(c.out)) << ran.out;
    EXPECT_EQ(fs::exists(picture), c.draws);
  }

  int entries = 0;
  for (const auto& entry : fs::directory_iterator(prefix.path() / "share" / "applications")) {
    SCOPED_TRACE(entry.path().filename().string());
    const auto text = test_support::readFile(entry.path());
    EXPECT_TRUE(fs::is_regular_file(bin / programOf(text, "Exec")));
    EXPECT_EQ(programOf(text, "TryExec"), programOf(text, "Exec"));
    ++entries;
  }
  EXPECT_EQ(entries, 2);
}

}  // namespace
