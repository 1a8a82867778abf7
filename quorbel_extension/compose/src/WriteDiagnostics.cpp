#include "compose/WriteDiagnostics.hpp"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include "foundation/Console.hpp"
#include "foundation/UserDefaults.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

std::string defaultDateDescription(std::chrono::system_clock::time_point time) {
  // In UTC, as the offset says, whatever the machine's time zone.
  return fmt::format("{:%Y-%m-%d %H:%M:%S} +0000", fmt::gmtime(std::chrono::system_clock::to_time_t(time)));
}

void recordGenerateReplyCall() {
  platform::console::print("🎯 ComposeSessionViewController: generateReply() called");
  logExtensionDebug("ComposeSessionViewController: generateReply() called");
  std::string stamp = "Extension generateReply called at " + defaultDateDescription(std::chrono::system_clock::now());
  auto& standard = platform::UserDefaults::standard();
  standard.set("extension_test_regular", stamp);
  // The stamps are diagnostics that nothing reads: a crash may take them
  // back, with whatever this write carries beside them (a popover size set
  // just before), to the file as it stood, never to a damaged one.
  constexpr auto durability = platform::files::Durability::mayRevertOnCrash;
  standard.synchronize(durability);
  auto suite = platform::UserDefaults::suite(ExtensionConfig::value("APP_GROUP_ID", "group.tesvarin.quorbel"));
  // Success only once the stamp is on disk (a read-only folder or a full
  // disk fails the write, not the opening).
  if (!suite || !suite->set("extension_test_shared", stamp) || !suite->synchronize(durability)) {
    platform::console::print("❌ Extension: Failed to access App Group UserDefaults");
    return;
  }
  platform::console::print("✅ Extension: Successfully wrote to App Group UserDefaults");
}

}  // namespace quorbel
