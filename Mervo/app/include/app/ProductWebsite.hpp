#pragma once

namespace mervo {

// The product's home page, which "Visit Website" opens.
inline constexpr const char* kProductWebsite = "https://quorbel.example/";

}  // namespace mervo
