#include "app/Item.hpp"

namespace mervo {

std::optional<coredata::Date> Item::timestamp() const {
  const auto& value = this->value("timestamp");
  if (const auto* date = std::get_if<coredata::Date>(&value)) return *date;
  return std::nullopt;
}

void Item::setTimestamp(std::optional<coredata::Date> timestamp) {
  if (timestamp) setValue("timestamp", *timestamp);
  else setValue("timestamp", std::monostate{});
}

coredata::FetchRequest Item::fetchRequest() { return coredata::FetchRequest{kEntityName, {}}; }

}  // namespace mervo
