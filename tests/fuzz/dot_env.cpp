// The ".env" resource of deployment values: any text gives a value or none.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shared_settings/DeploymentValues.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const char* key : {"APP_GROUP_ID", "DEBUG_LOGGING", "CLOUDFLARE_WORKER_URL", "K", ""})
    (void)quorbel::deployment::dotEnvValue(text, key);
  return 0;
}
