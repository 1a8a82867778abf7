// The update feed, as a server (or whoever answers in its place) sends it:
// whatever the bytes, a list of releases or a clear refusal, and every
// download page offered is a web address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/Text.hpp"
#include "sparkle/Appcast.hpp"
#include "sparkle/VersionComparator.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto items = sparkle::parseAppcast(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!items) return 0;
  for (const auto& item : *items) {
    if (item.versionString.empty()) std::abort();
    if (auto page = item.downloadPageURL()) {
      auto scheme = platform::text::lowercased(page->substr(0, page->find(':')));
      if (scheme != "http" && scheme != "https") std::abort();
    }
    // Ordering is consistent both ways.
    const auto forward = sparkle::compareVersions(item.versionString, "1.0");
    const auto backward = sparkle::compareVersions("1.0", item.versionString);
    if (forward != (0 <=> backward)) std::abort();
  }
  return 0;
}
