// The object store's model resource: whatever the bytes, a model or an
// error, and every name a model accepts is safe to use as an SQL identifier.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "coredata/ManagedObjectModel.hpp"

namespace {

bool isPlainName(const std::string& name) {
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return !name.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto model = coredata::ManagedObjectModel::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!model) return 0;
  for (const auto& entity : model->entities()) {
    if (!isPlainName(entity.name)) std::abort();
    for (const auto& attribute : entity.attributes)
      if (!isPlainName(attribute.name)) std::abort();
  }
  (void)model->fingerprint();
  return 0;
}
