#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "settings/RawValueEnum.hpp"

namespace mervo {

// "short" and "long" are not usable as C++ names, hence the trailing
// underscore; the raw values are the stored ones.
enum class ResponseLength { short_, medium, long_ };

template <>
struct RawValueCases<ResponseLength> {
  static constexpr std::array cases{
      std::pair{ResponseLength::short_, std::string_view("short")},
      std::pair{ResponseLength::medium, std::string_view("medium")},
      std::pair{ResponseLength::long_, std::string_view("long")},
  };
};

}  // namespace mervo
