#pragma once

#include <string>

#include "foundation/Error.hpp"

namespace firebase::vertexai {

// Where in a reply a decoding error happened, written the way one reads the
// reply: "candidates[0].content.parts[1].text"; empty for the reply as a
// whole, and for errors that are no decoding errors.
std::string decodingFailurePath(const platform::ErrorPtr& error);

// What was wrong in a reply that could not be read, and where, for logs and
// for people: "Expected to decode Int64 but found a string instead. (at
// usageMetadata.promptTokenCount)". Any other error gives its own description.
std::string describeDecodingFailure(const platform::ErrorPtr& error);

}  // namespace firebase::vertexai
