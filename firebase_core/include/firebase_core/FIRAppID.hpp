#pragma once

#include <string_view>

namespace firebase {

// Whether a GOOGLE_APP_ID can be used: "1:<project number>:ios:<hexadecimal
// digits>", the platform "ios" on every platform. An identifier of another
// version ("2:...") is accepted unchecked, with an info line "I-COR000010".
bool FIRValidateAppID(std::string_view appID);

}  // namespace firebase
