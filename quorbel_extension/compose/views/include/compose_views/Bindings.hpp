#pragma once

#include "ui/Bindings.hpp"

namespace quorbel::views {
using ui::Bindings;
}  // namespace quorbel::views
