// How long the kit's drawing takes: building a continuous-corner outline,
// drawing a symbol (first time and cached), and painting a card's box.

#include "ui/BoxStyle.hpp"
#include "ui/ContinuousRoundedRect.hpp"
#include "ui/SymbolIcon.hpp"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

void continuousRoundedRectOutline(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ui::continuousRoundedRect(QRectF(0, 0, 320, 180), 8));
}
BENCHMARK(continuousRoundedRectOutline);

void paintEverySymbol(benchmark::State& state) {
  const int pointSize = static_cast<int>(state.range(0));
  const QStringList names = ui::SymbolIcon::knownNames();
  QImage image(pointSize * 2, pointSize * 2, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&image);
    for (const auto& name : names) {
      const ui::SymbolIcon symbol(name, pointSize, Qt::blue);
      symbol.paint(painter, QRectF(QPointF(0, 0), symbol.size()));
    }
  }
  state.SetItemsProcessed(state.iterations() * names.size());
}
BENCHMARK(paintEverySymbol)->Arg(16)->Arg(48);

void paintCardBox(benchmark::State& state) {
  QImage image(400, 240, QImage::Format_ARGB32_Premultiplied);
  const ui::BoxStyle style{Qt::white, QColor(0, 0, 0, 25), 1, 8, {}};
  for (auto _ : state) {
    QPainter painter(&image);
    ui::paintBox(painter, QRectF(0, 0, 400, 240), style);
  }
}
BENCHMARK(paintCardBox);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
