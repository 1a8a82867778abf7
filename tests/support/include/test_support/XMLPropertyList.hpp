#pragma once

#include <optional>
#include <string>

#include "foundation/PropertyValue.hpp"

namespace test_support {

// The XML form of a value, as a file a person wrote would hold it (bundle
// Info lists, options lists, settings edited by hand), for the tests of
// what reads such files. Written by libplist, a writer other than our own,
// so that our reader is held to XML it did not make. Nothing when XML
// cannot hold the value exactly: texts with NUL characters, dates with
// fractions of a second, NaN.
std::optional<std::string> xmlPropertyList(const platform::PropertyValue& value);

}  // namespace test_support
