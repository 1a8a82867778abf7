#pragma once

#include <QFont>

// Fonts named the way the screens name them: "system N" is the system font
// at N points (one point is one device-independent pixel, as on the
// platform the screens were designed for), and the text styles carry the
// platform's sizes and weights.
namespace ui {

enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };
enum class FontDesign { standard, monospaced };
enum class TextStyle { largeTitle, title, title2, title3, headline, subheadline, body, callout, footnote, caption, caption2 };

QFont systemFont(double pointSize, FontWeight weight = FontWeight::regular, FontDesign design = FontDesign::standard);

// A text style in its own weight, or in the weight given ("title-2, semibold").
QFont font(TextStyle style, FontDesign design = FontDesign::standard);
QFont font(TextStyle style, FontWeight weight, FontDesign design = FontDesign::standard);

double pointSize(TextStyle style);
FontWeight weight(TextStyle style);

}  // namespace ui
