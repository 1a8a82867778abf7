#include "ui/Typography.hpp"

#include <QFontDatabase>

#include <cmath>

namespace ui {
namespace {

// The fonts the machine is sure to have; the platform's own choice otherwise.
QString family(FontDesign design) {
  const QString preferred = design == FontDesign::monospaced ? "DejaVu Sans Mono" : "DejaVu Sans";
  if (QFontDatabase::hasFamily(preferred)) return preferred;
  const auto fallback = design == FontDesign::monospaced ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont;
  return QFontDatabase::systemFont(fallback).family();
}

QFont::Weight qtWeight(FontWeight weight) {
  switch (weight) {
    case FontWeight::ultraLight: return QFont::Thin;
    case FontWeight::thin: return QFont::ExtraLight;
    case FontWeight::light: return QFont::Light;
    case FontWeight::regular: return QFont::Normal;
    case FontWeight::medium: return QFont::Medium;
    case FontWeight::semibold: return QFont::DemiBold;
    case FontWeight::bold: return QFont::Bold;
    case FontWeight::heavy: return QFont::ExtraBold;
    case FontWeight::black: return QFont::Black;
  }
  return QFont::Normal;
}

struct StyleMetrics {
  double size;
  FontWeight weight;
};

StyleMetrics metrics(TextStyle style) {
  switch (style) {
    case TextStyle::largeTitle: return {26, FontWeight::regular};
    case TextStyle::title: return {22, FontWeight::regular};
    case TextStyle::title2: return {17, FontWeight::regular};
    case TextStyle::title3: return {15, FontWeight::regular};
    case TextStyle::headline: return {13, FontWeight::bold};
    case TextStyle::subheadline: return {11, FontWeight::regular};
    case TextStyle::body: return {13, FontWeight::regular};
    case TextStyle::callout: return {12, FontWeight::regular};
    case TextStyle::footnote: return {10, FontWeight::regular};
    case TextStyle::caption: return {10, FontWeight::regular};
    case TextStyle::caption2: return {10, FontWeight::regular};
  }
  return {13, FontWeight::regular};
}

}  // namespace

QFont systemFont(double pointSize, FontWeight weight, FontDesign design) {
  QFont font(family(design));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize))));
  font.setWeight(qtWeight(weight));
  font.setStyleHint(design == FontDesign::monospaced ? QFont::TypeWriter : QFont::SansSerif);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QFont font(TextStyle style, FontDesign design) { return systemFont(pointSize(style), weight(style), design); }

QFont font(TextStyle style, FontWeight weight, FontDesign design) { return systemFont(pointSize(style), weight, design); }

double pointSize(TextStyle style) { return metrics(style).size; }

FontWeight weight(TextStyle style) { return metrics(style).weight; }

}  // namespace ui
