// The build's bundle step (cmake/CopyBundle.cmake): a bundle follows its
// samples, but a file the user edited there survives every later build, and
// the build says once when that file's sample has changed.

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

// The samples (a program's resource folder and a shared file), the bundle
// the build puts together from them, and its record of what it put there.
struct Layout {
  fs::path folder, shared, bundle, record;
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

class BundleStepTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    layout = {folder.path() / "samples", folder.path() / "GoogleService-Info.plist",
              folder.path() / "bin" / "program.bundle", folder.path() / "program.bundle-as-built"};
    write(layout.folder / "Info.plist", "info");
    write(layout.folder / "Resources" / ".env", "KEY=");
    write(layout.shared, "options");
  }

  packaging_test::Run build() {
    return packaging_test::run(std::string(CMAKE_COMMAND) + " -DFOLDER=" + layout.folder.string() +
                               " -DSHARED=" + layout.shared.string() + " -DBUNDLE=" + layout.bundle.string() +
                               " -DRECORD=" + layout.record.string() + " -P " + COPY_BUNDLE_SCRIPT);
  }

  test_support::TempDir folder;
  Layout layout;
};

TEST_P(BundleStepTest, KeepsWhatTheUserEdited) {
  auto first = build();
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  GetParam().change(layout);
  auto second = build();
  ASSERT_EQ(second.status, 0) << second.err;
  const std::string said = GetParam().said;
  if (said.empty()) {
    EXPECT_EQ(second.err, "");
  } else {
    EXPECT_NE(second.err.find("program.bundle/" + said +
                                 " is kept as you edited it, but its sample has changed since: compare it with "),
              std::string::npos)
        << second.err;
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
  EXPECT_EQ(third.err, "");
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

}  // namespace
