#include <fmt/format.h>

#include "Decoding.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"

namespace firebase::vertexai::wire {
namespace {
constexpr const char* kReleaseNotesURL = "https://firebase.google.com/support/release-notes/ios";
constexpr const char* kIssueTrackerURL = "https://github.com/firebase/firebase-ios-sdk/issues";
}  // namespace

void logUnrecognizedValue(std::string_view typeName, std::string_view value, VertexLogMessageCode code) {
  if (!vertexAIWouldLog(kGULLoggerLevelError)) return;
  logVertexAI(kGULLoggerLevelError, code,
              fmt::format("Unrecognized {} with value \"{}\":\n"
                          "- Check for updates to the SDK as support for \"{}\" may have been added; see release "
                          "notes at {}\n"
                          "- Search for \"{}\" in the Firebase Apple SDK Issue Tracker at {} and file a Bug Report "
                          "if none found",
                          typeName, value, value, kReleaseNotesURL, value, kIssueTrackerURL));
}

}  // namespace firebase::vertexai::wire
