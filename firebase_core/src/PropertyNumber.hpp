#pragma once

#include <optional>

#include "foundation/PropertyValue.hpp"

namespace firebase {

// A property-list number (Booleans included) read as a Boolean; absent for
// every other type, so a text never passes for a switch.
inline std::optional<bool> numberAsBool(const platform::PropertyValue& value) {
  if (const bool* flag = value.asBool()) return *flag;
  if (const auto* integer = value.asInteger()) return *integer != 0;
  if (value.isUnsignedInteger()) return true;  // above INT64_MAX, never zero
  if (const double* real = value.asReal()) return *real != 0;
  return std::nullopt;
}

}  // namespace firebase
