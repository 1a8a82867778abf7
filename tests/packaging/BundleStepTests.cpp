// The build's bundle step (cmake/QuorbelBundle.cmake): a bundle follows its
// samples, but a file the user edited there survives every later build, and
// the build says once when that file's sample has changed. Each build here
// builds a small project whose program is bundled as ours are, and nothing
// relinks it between builds: the step runs all the same.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>

#include "Shell.hpp"
#include "test_support/TempDir.hpp"

namespace {

namespace fs = std::filesystem;

// The samples (a program's resource folder and a shared file) and the bundle
// the build puts together from them.
struct Layout {
  fs::path folder, shared, bundle;
};

struct Case {
  const char* name;
  void (*change)(const Layout&);  // by the user and in the samples, between two builds
  std::map<std::string, std::optional<std::string>> bundle;  // then: content by place, nullopt for none
  const char* said;  // the place the second build says it kept, "" for none
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void write(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// How often the build said it kept an edited file.
std::size_t keptMessages(const std::string& out) {
  std::size_t count = 0;
  for (auto at = out.find(" is kept as you edited it"); at != std::string::npos;
       at = out.find(" is kept as you edited it", at + 1))
    ++count;
  return count;
}

// The samples of a small project whose program is bundled as ours are, and
// the project configured in its folder build/ with the generator given.
packaging_test::Run configureBundledProject(const fs::path& project, const std::string& generator) {
  write(project / "samples" / "Info.plist", "info");
  write(project / "samples" / "Resources" / ".env", "KEY=");
  write(project / "GoogleService-Info.plist", "options");
  write(project / "CMakeLists.txt",
        "cmake_minimum_required(VERSION 3.25)\n"
        "project(bundled C)\n"
        "include(\"" QUORBEL_BUNDLE_MODULE "\")\n"
        "file(WRITE ${CMAKE_BINARY_DIR}/main.c \"int main(void) { return 0; }\\n\")\n"
        "add_executable(program ${CMAKE_BINARY_DIR}/main.c)\n"
        "quorbel_add_bundle(program \"${CMAKE_SOURCE_DIR}/samples\" \"${CMAKE_SOURCE_DIR}/GoogleService-Info.plist\")\n");
  return packaging_test::run(std::string(CMAKE_COMMAND) + " -S " + quoted(project) + " -B " +
                             quoted(project / "build") + " -G '" + generator + "'");
}

packaging_test::Run buildProject(const fs::path& project, const std::string& arguments = "") {
  return packaging_test::run(std::string(CMAKE_COMMAND) + " --build " + quoted(project / "build") + arguments);
}

class BundleStepTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    // A space in the path, as in a folder a user named.
    project = folder.path() / "a project";
    layout = {project / "samples", project / "GoogleService-Info.plist", project / "build" / "program.bundle"};
    const auto configured = configureBundledProject(project, "Ninja");
    ASSERT_EQ(configured.status, 0) << configured.out << configured.err;
  }

  packaging_test::Run build() { return buildProject(project); }

  test_support::TempDir folder;
  fs::path project;
  Layout layout;
};

TEST_P(BundleStepTest, KeepsWhatTheUserEdited) {
  auto first = build();
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_EQ(keptMessages(first.out), 0u) << first.out;
  GetParam().change(layout);
  auto second = build();
  ASSERT_EQ(second.status, 0) << second.out << second.err;
  const std::string said = GetParam().said;
  EXPECT_EQ(keptMessages(second.out), said.empty() ? 0u : 1u) << second.out;
  if (!said.empty()) {
    EXPECT_NE(second.out.find((layout.bundle / said).string() +
                              " is kept as you edited it, but its sample has changed since: compare it with "),
              std::string::npos)
        << second.out;
  }
  for (const auto& [place, content] : GetParam().bundle) {
    const auto file = layout.bundle / place;
    if (content) {
      EXPECT_EQ(test_support::readFile(file), *content) << place;
    } else {
      EXPECT_FALSE(fs::exists(file)) << place;
    }
  }
  // Nothing new since: nothing changes, nothing is said again.
  auto third = build();
  EXPECT_EQ(keptMessages(third.out), 0u) << third.out;
  for (const auto& [place, content] : GetParam().bundle) {
    if (content) {
      EXPECT_EQ(test_support::readFile(layout.bundle / place), *content) << place;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Builds, BundleStepTest,
    ::testing::Values(
        Case{"AnUneditedFileFollowsItsSample", [](const Layout& l) { write(l.folder / "Resources/.env", "KEY=new"); },
             {{"Resources/.env", "KEY=new"}, {"Info.plist", "info"}, {"Resources/GoogleService-Info.plist", "options"}},
             ""},
        Case{"AnEditedFileIsKept", [](const Layout& l) { write(l.bundle / "Resources/.env", "KEY=mine"); },
             {{"Resources/.env", "KEY=mine"}},
             ""},
        Case{"AnEditedFileIsKeptWhenItsSampleChanges",
             [](const Layout& l) {
               write(l.bundle / "Resources/.env", "KEY=mine");
               write(l.folder / "Resources/.env", "KEY=\nOTHER=");
             },
             {{"Resources/.env", "KEY=mine"}},
             "Resources/.env"},
        Case{"AnEditedSharedFileIsKept",
             [](const Layout& l) {
               write(l.bundle / "Resources/GoogleService-Info.plist", "my project");
               write(l.shared, "new options");
             },
             {{"Resources/GoogleService-Info.plist", "my project"}},
             "Resources/GoogleService-Info.plist"},
        Case{"ARemovedFileComesBack", [](const Layout& l) { fs::remove(l.bundle / "Resources/.env"); },
             {{"Resources/.env", "KEY="}},
             ""},
        Case{"AFileNoLongerShippedGoes", [](const Layout& l) { fs::remove(l.folder / "Info.plist"); },
             {{"Info.plist", std::nullopt}, {"Resources/.env", "KEY="}},
             ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Each configuration of a multi-configuration build has a bundle of its own,
// and each follows the samples.
TEST(BundleStep, EachConfigurationsBundleFollowsItsSamples) {
  test_support::TempDir folder;
  const auto project = folder.path() / "project";
  const auto configured = configureBundledProject(project, "Ninja Multi-Config");
  ASSERT_EQ(configured.status, 0) << configured.out << configured.err;
  const char* configurations[] = {"Debug", "Release"};
  for (const char* configuration : configurations)
    ASSERT_EQ(buildProject(project, std::string(" --config ") + configuration).status, 0) << configuration;
  write(project / "samples" / "Info.plist", "new info");
  for (const char* configuration : configurations) {
    const auto built = buildProject(project, std::string(" --config ") + configuration);
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    EXPECT_EQ(keptMessages(built.out), 0u) << built.out;
    EXPECT_EQ(test_support::readFile(project / "build" / configuration / "program.bundle" / "Info.plist"), "new info")
        << configuration;
  }
}

}  // namespace
