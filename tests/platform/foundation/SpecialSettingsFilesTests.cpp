// Settings files that are no settings file: a FIFO, a link to an endless
// device, a huge sparse file, links that loop or lead to a folder. Each is
// refused at once, by the suites, the program's own defaults and the
// defaults command alike, with its cause, and left as it is.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "foundation/Bundle.hpp"
#include "foundation/DefaultsCommand.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::PropertyValue;
using platform::UserDefaults;

namespace {

struct SpecialFile {
  std::string name;
  std::function<void(const std::filesystem::path&)> putInPlaceOf;  // the domain's file
  std::string cause;                                                // in every message
  friend void PrintTo(const SpecialFile& value, std::ostream* out) { *out << value.name; }
};

void makeFifo(const std::filesystem::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }

void linkToDevZero(const std::filesystem::path& file) { std::filesystem::create_symlink("/dev/zero", file); }

// A binary property list of 1 GiB, nearly all of it a hole, whose trailer
// claims an object for every byte: a few kilobytes on the disk.
void makeSparseGigabyteList(const std::filesystem::path& file) {
  constexpr std::uint64_t kSize = std::uint64_t{1} << 30;
  const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(descriptor, 0);
  std::string trailer(6, '\0');
  trailer += '\x01';  // offset size
  trailer += '\x01';  // reference size
  for (std::uint64_t field : {kSize - 40, std::uint64_t{0}, std::uint64_t{8}})  // objects, root, table offset
    for (int shift = 56; shift >= 0; shift -= 8) trailer += static_cast<char>((field >> shift) & 0xFF);
  EXPECT_EQ(::pwrite(descriptor, "bplist00", 8, 0), 8);
  EXPECT_EQ(::pwrite(descriptor, trailer.data(), trailer.size(), static_cast<off_t>(kSize - trailer.size())),
            static_cast<ssize_t>(trailer.size()));
  ::close(descriptor);
}

void linkToAFolder(const std::filesystem::path& file) { std::filesystem::create_directory_symlink("/", file); }

void linkToItself(const std::filesystem::path& file) { std::filesystem::create_symlink(file.filename(), file); }

void linkInACircle(const std::filesystem::path& file) {
  const auto other = file.parent_path() / "circle.plist";
  std::filesystem::create_symlink(file.filename(), other);
  std::filesystem::create_symlink(other.filename(), file);
}

const SpecialFile kSpecialFiles[] = {
    {"Fifo", makeFifo, "Not a regular file"},
    {"LinkToDevZero", linkToDevZero, "Not a regular file"},
    {"SparseGigabyteBinaryList", makeSparseGigabyteList, "Larger than 32 MiB"},
    {"LinkToAFolder", linkToAFolder, "leads to /, which is a folder"},
    {"LinkToItself", linkToItself, "Too many levels of symbolic links"},
    {"LinksInACircle", linkInACircle, "Too many levels of symbolic links"},
};

struct Run {
  int status;
  std::string err;
};

Run defaults(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = platform::runDefaultsCommand(args, out, err);
  return {status, err.str()};
}

class SpecialSettingsFileTest : public ::testing::TestWithParam<SpecialFile> {
 protected:
  void SetUp() override { test_support::resetDefaults(); }

  std::filesystem::path putInPlaceOf(const std::string& domain) {
    const auto file = UserDefaults::fileForDomain(domain);
    std::filesystem::create_directories(file.parent_path());
    GetParam().putInPlaceOf(file);
    return file;
  }
};

TEST_P(SpecialSettingsFileTest, ASuiteRefusesItAtOnceWithItsCause) {
  const auto file = putInPlaceOf("group.test.special");
  const auto before = test_support::shapeOf(file);

  auto opened = UserDefaults::openSuite("group.test.special");
  ASSERT_FALSE(opened);
  const auto message = opened.error()->localizedDescription();
  EXPECT_NE(message.find(file.string()), std::string::npos) << message;
  EXPECT_NE(message.find(GetParam().cause), std::string::npos) << message;
  EXPECT_EQ(test_support::shapeOf(file), before);
}

TEST_P(SpecialSettingsFileTest, TheDefaultsCommandSaysWhyItCannotReadOrWrite) {
  const auto file = putInPlaceOf("group.test.special");
  const auto before = test_support::shapeOf(file);

  const std::vector<std::vector<std::string>> commands{{"read", "group.test.special"},
                                                       {"read", "group.test.special", "llm_provider"},
                                                       {"write", "group.test.special", "llm_provider", "openai"},
                                                       {"delete", "group.test.special"}};
  for (const auto& args : commands) {
    UserDefaults::resetForTesting();
    const auto run = defaults(args);
    EXPECT_EQ(run.status, 1) << args[0];
    EXPECT_NE(run.err.find(GetParam().cause), std::string::npos) << args[0] << ": " << run.err;
  }
  EXPECT_EQ(test_support::shapeOf(file), before);
}

TEST_P(SpecialSettingsFileTest, TheProgramsOwnDefaultsStartEmptyAndAreNotWrittenOverIt) {
  const auto file = putInPlaceOf(platform::Bundle::main().bundleIdentifier());
  const auto before = test_support::shapeOf(file);

  auto& standard = UserDefaults::standard();
  EXPECT_EQ(standard.string("preferredPopoverWidthKey"), std::nullopt);
  standard.set("preferredPopoverWidthKey", 600.0);
  auto written = standard.writeChanges();
  ASSERT_FALSE(written);
  EXPECT_NE(written.error()->localizedDescription().find(GetParam().cause), std::string::npos)
      << written.error()->localizedDescription();
  EXPECT_EQ(test_support::shapeOf(file), before);
}

INSTANTIATE_TEST_SUITE_P(StoredFiles, SpecialSettingsFileTest, ::testing::ValuesIn(kSpecialFiles),
                         [](const auto& info) { return info.param.name; });

TEST(SettingsFileSize, AFileOfTheLimitIsReadAndOneByteMoreIsNot) {
  test_support::resetDefaults();
  const auto file = UserDefaults::fileForDomain("group.test.size");
  std::filesystem::create_directories(file.parent_path());
  // A dictionary whose one text fills the file to the byte.
  const std::string head = "<plist><dict><key>k</key><string>", tail = "</string></dict></plist>";
  for (const std::size_t size : {platform::plist::kMaxFileBytes, platform::plist::kMaxFileBytes + 1}) {
    {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out << head << std::string(size - head.size() - tail.size(), 'x') << tail;
    }
    UserDefaults::resetForTesting();
    auto opened = UserDefaults::openSuite("group.test.size");
    if (size <= platform::plist::kMaxFileBytes) {
      ASSERT_TRUE(opened) << opened.error()->localizedDescription();
      EXPECT_EQ((*opened)->string("k")->size(), size - head.size() - tail.size());
    } else {
      ASSERT_FALSE(opened);
      EXPECT_NE(opened.error()->localizedDescription().find("Larger than 32 MiB"), std::string::npos);
    }
  }
}

// A write that would take the file past what a reader takes fails, and the
// file stays readable with what it held; a value past the limits by itself
// is refused before it changes anything.
TEST(SettingsFileSize, AWritePastTheLimitsFailsAndTheFileStaysReadable) {
  test_support::resetDefaults();
  constexpr const char* kSuite = "group.test.limits";
  // Each array is within the values a list may hold; the two together are not.
  const PropertyValue half(PropertyValue::Array(60'000, PropertyValue(1)));
  auto suite = UserDefaults::suite(kSuite);
  ASSERT_TRUE(suite);
  ASSERT_TRUE(suite->set("first", half));
  ASSERT_TRUE(suite->writeChanges());
  ASSERT_TRUE(suite->set("second", half));
  auto written = suite->writeChanges();
  ASSERT_FALSE(written);
  EXPECT_NE(written.error()->localizedDescription().find("100000 values"), std::string::npos)
      << written.error()->localizedDescription();

  UserDefaults::resetForTesting();
  auto reopened = UserDefaults::openSuite(kSuite);
  ASSERT_TRUE(reopened) << reopened.error()->localizedDescription();
  EXPECT_EQ((*reopened)->object("first"), half);
  EXPECT_FALSE((*reopened)->object("second"));

  EXPECT_FALSE((*reopened)->set("many", PropertyValue(PropertyValue::Array(platform::plist::kMaxValues, 1))));
  EXPECT_FALSE((*reopened)->set("long", std::string(platform::plist::kMaxFileBytes, 'x')));
  EXPECT_FALSE((*reopened)->object("many"));
  EXPECT_FALSE((*reopened)->object("long"));
}

}  // namespace
