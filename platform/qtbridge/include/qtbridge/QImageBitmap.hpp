#pragma once

#include "imaging/Images.hpp"

class QImage;

namespace platform::qtbridge {

// The image's pixels as a bitmap, copied: grey images stay grey (16-bit grey
// becomes 8-bit), RGB888 stays three bytes a pixel, everything else becomes
// red, green, blue and alpha bytes (premultiplied colour is undone first). A
// null image gives a bitmap without pixels.
platform::imaging::CGImage toCGImage(const QImage& image);

}  // namespace platform::qtbridge
