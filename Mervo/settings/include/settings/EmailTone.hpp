#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "settings/RawValueEnum.hpp"

namespace mervo {

enum class EmailTone { professional, friendly, casual, formal };

template <>
struct RawValueCases<EmailTone> {
  static constexpr std::array cases{
      std::pair{EmailTone::professional, std::string_view("professional")},
      std::pair{EmailTone::friendly, std::string_view("friendly")},
      std::pair{EmailTone::casual, std::string_view("casual")},
      std::pair{EmailTone::formal, std::string_view("formal")},
  };
};

}  // namespace mervo
