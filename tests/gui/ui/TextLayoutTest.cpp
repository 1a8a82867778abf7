#include "GuiTest.hpp"

#include "ui/LineLimitedText.hpp"
#include "ui/Palette.hpp"
#include "ui/ProgressIndicator.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

#include <QFontMetricsF>
#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using namespace ui;

const QString kLong = "Configure and switch between different AI models and providers, and test each connection";

TEST(LineLimitedText, CutsToItsLineLimitAndMarksTheCut) {
  const struct {
    int limit;
    int width;
    QString text;
    qsizetype lines;
    bool cut;
  } cases[] = {{1, 120, kLong, 1, true},     {2, 120, kLong, 2, true},  {2, 2000, kLong, 1, false},
               {1, 2000, "AI Prompts", 1, false}, {3, 120, "Short", 1, false}, {2, 120, "", 0, false}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.text.toStdString() + " limit " + std::to_string(entry.limit));
    const LineLimitedText text(entry.text, systemFont(12), color::secondaryLabel(), entry.limit);
    const QStringList lines = text.visibleLines(entry.width);
    EXPECT_EQ(lines.size(), entry.lines);
    EXPECT_EQ(!lines.isEmpty() && lines.last().endsWith(QChar(0x2026)), entry.cut);
    for (const auto& line : lines) EXPECT_LE(QFontMetricsF(text.font()).horizontalAdvance(line), entry.width);
  }
}

// In a column the text takes the height of the lines it shows, so the card
// grows to show both description lines instead of squeezing them.
TEST(LineLimitedText, TakesTheHeightOfItsShownLines) {
  const LineLimitedText probe(kLong, systemFont(12), color::secondaryLabel(), 2);
  const qreal lineSpacing = QFontMetricsF(probe.font()).lineSpacing();
  EXPECT_EQ(probe.heightForWidth(120), static_cast<int>(std::ceil(2 * lineSpacing)));
  EXPECT_EQ(probe.heightForWidth(4000), static_cast<int>(std::ceil(lineSpacing)));

  QWidget card;
  auto* column = new QVBoxLayout(&card);
  auto* description = new LineLimitedText(kLong, systemFont(12), color::secondaryLabel(), 2);
  column->addWidget(description);
  column->addStretch();
  gui_test::render(card, {150, 300});
  EXPECT_EQ(description->height(), description->heightForWidth(description->width()));
  description->setText("Short");
  gui_test::render(card, {150, 300});
  EXPECT_EQ(description->height(), static_cast<int>(std::ceil(lineSpacing)));
}

// Words of ordinary length wrap as words; a long token gets a break
// opportunity every 12 characters, never inside a character, so that the
// label's narrowest width stays small.
TEST(WrappingText, LongTokensBreakAndWordsStayWhole) {
  const QChar zwsp(0x200B);
  const QString accented = QString("e") + QChar(0x0301);  // e and a combining acute: one character
  const struct {
    QString text;
    QString shown;
  } cases[] = {{"Error: HTTP error: 503", "Error: HTTP error: 503"},
               {"abcdefghijkl mnop", "abcdefghijkl mnop"},
               {"abcdefghijklm", QString("abcdefghijkl") + zwsp + "m"},
               {accented.repeated(13), accented.repeated(12) + zwsp + accented}};
  for (const auto& entry : cases) {
    QLabel label;
    setWrappingText(&label, entry.text);
    EXPECT_EQ(label.text(), entry.shown) << entry.text.toStdString();
  }

  QLabel label;
  label.setWordWrap(true);
  setWrappingText(&label, "See https://docs.example.com/d/1aBcDeFgHiJkLmNoPqRsTuVwXyZ0123456789abcdef/edit");
  EXPECT_LT(label.minimumSizeHint().width(), 200);
}

TEST(ProgressIndicator, ShowsItsLabelAndSweepsOnlyWhileShown) {
  QWidget host;
  auto* progress = new ProgressIndicator("Generating Reply...", &host);
  new QVBoxLayout(&host);
  host.layout()->addWidget(progress);
  EXPECT_FALSE(progress->isAnimating());
  gui_test::showAndWait(host);
  EXPECT_TRUE(progress->isAnimating());
  EXPECT_NE(gui_test::findByText(host, "Generating Reply..."), nullptr);
  EXPECT_TRUE(gui_test::waitUntil(
      [&] { return gui_test::countPixelsNear(progress->grab().toImage(), color::accent(), 2) > 0; }));
  progress->setLabel("Analyzing...");
  EXPECT_EQ(progress->label(), "Analyzing...");
  progress->hide();
  EXPECT_FALSE(progress->isAnimating());
}

}  // namespace
