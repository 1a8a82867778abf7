// Renders every element of the kit into <build>/gui-renders for review, the
// way the screens will combine them.

#include "GuiTest.hpp"

#include "ui/AlertDialog.hpp"
#include "ui/ButtonStyle.hpp"
#include "ui/ConfirmationBanner.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/Divider.hpp"
#include "ui/LabeledSlider.hpp"
#include "ui/LineLimitedText.hpp"
#include "ui/Palette.hpp"
#include "ui/PopUpPicker.hpp"
#include "ui/ProgressIndicator.hpp"
#include "ui/RoundedCard.hpp"
#include "ui/SegmentedPicker.hpp"
#include "ui/StepSlider.hpp"
#include "ui/StyledButton.hpp"
#include "ui/Switch.hpp"
#include "ui/SymbolIcon.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/TextEditor.hpp"
#include "ui/TextField.hpp"
#include "ui/Typography.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using namespace ui;

// A window-coloured sheet with a padded column.
struct Sheet {
  QWidget widget;
  QVBoxLayout* column = new QVBoxLayout(&widget);
  Sheet() {
    widget.setAutoFillBackground(true);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color::windowBackground());
    widget.setPalette(palette);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
  }
  QHBoxLayout* row() {
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    column->addLayout(row);
    return row;
  }
  void expectRendered(const QString& name, QSize size = {}) {
    if (!size.isEmpty()) widget.resize(size);
    gui_test::showAndWait(widget);
    const QString path = gui_test::renderToPng(widget, name, size);
    QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_FALSE(gui_test::isBlank(image));
  }
};

TEST(Gallery, Symbols) {
  Sheet sheet;
  auto* grid = new QGridLayout;
  sheet.column->addLayout(grid);
  const QStringList names = SymbolIcon::knownNames() << "no.such.symbol";
  for (int i = 0; i < names.size(); ++i) {
    const int row = i / 2;
    const int column = (i % 2) * 3;
    grid->addWidget(new SymbolLabel(SymbolIcon(names[i], 16, color::blue())), row, column);
    grid->addWidget(new SymbolLabel(SymbolIcon(names[i], 40, color::label())), row, column + 1);
    grid->addWidget(makeText(names[i], font(TextStyle::caption), color::secondaryLabel()), row, column + 2);
  }
  sheet.expectRendered("symbols");
}

// The settings window's titled card with a switch row in it.
TEST(Gallery, CardWithSwitchRow) {
  Sheet sheet;
  auto* card = new RoundedCard({color::controlBackground(), color::separator(), 1, 8, QMargins(24, 24, 24, 24)});
  card->contentLayout()->setSpacing(16);
  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  header->addWidget(new SymbolLabel(SymbolIcon("text.bubble.fill", 16, color::blue())));
  header->addWidget(makeText("System Prompt Configuration", systemFont(18, FontWeight::semibold), color::label()));
  header->addStretch();
  card->contentLayout()->addLayout(header);
  auto* toggleRow = new QHBoxLayout;
  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  texts->addWidget(makeText("Use Custom System Prompt", systemFont(16, FontWeight::medium), color::label()));
  texts->addWidget(makeText("Override default AI behavior with your custom instructions", systemFont(14), color::secondaryLabel()));
  toggleRow->addLayout(texts);
  toggleRow->addStretch();
  auto* toggle = new Switch;
  toggle->setChecked(true);
  toggleRow->addWidget(toggle);
  card->contentLayout()->addLayout(toggleRow);
  auto* divider = new Divider;
  divider->setColor(color::withOpacity(color::secondaryLabel(), 0.3));
  card->contentLayout()->addWidget(divider);
  auto* editor = new TextEditor(FieldStyle::filled(color::withOpacity(color::tertiaryLabel(), 0.1), 12, 8));
  editor->setFieldStyle([&] {
    auto style = editor->fieldStyle();
    style.font = font(TextStyle::body, FontDesign::monospaced);
    return style;
  }());
  editor->setText("You are a helpful email assistant.");
  editor->setMinimumHeight(120);
  card->contentLayout()->addWidget(editor);
  sheet.column->addWidget(card);
  sheet.expectRendered("card_switch_row", {560, 340});
}

TEST(Gallery, FeatureAndProviderCards) {
  Sheet sheet;
  auto* grid = new QGridLayout;
  grid->setSpacing(16);
  const struct {
    const char* icon;
    QColor tint;
    const char* name;
    bool available;
  } features[] = {{"envelope.fill", color::blue(), "Mail Extension", true},
                  {"wand.and.stars", color::purple(), "Smart Drafting", true},
                  {"brain.head.profile", color::purple(), "AI Prompts", true},
                  {"cpu", color::purple(), "LLM Configuration", false}};
  for (int i = 0; i < 4; ++i) {
    const auto& feature = features[i];
    const QColor status = feature.available ? color::green() : color::orange();
    auto* card = new RoundedCard({feature.available ? color::controlBackground() : color::withOpacity(color::orange(), 0.1),
                                  color::withOpacity(status, 0.3), 1, 8, QMargins(12, 12, 12, 12)});
    card->contentLayout()->setSpacing(10);
    auto* header = new QHBoxLayout;
    header->addWidget(new SymbolLabel(SymbolIcon(feature.icon, 18, feature.tint)));
    header->addStretch();
    header->addWidget(new SymbolLabel(SymbolIcon(feature.available ? "checkmark.circle.fill" : "clock.fill", 14, status)));
    card->contentLayout()->addLayout(header);
    card->contentLayout()->addWidget(new LineLimitedText(feature.name, systemFont(14, FontWeight::semibold), color::label(), 1));
    card->contentLayout()->addWidget(new LineLimitedText(
        "Configure and switch between different AI models and providers, and test each one", systemFont(12),
        color::secondaryLabel(), 2));
    card->contentLayout()->addWidget(
        makeText(feature.available ? "Available" : "Coming Soon", systemFont(10, FontWeight::medium), status));
    grid->addWidget(card, i / 2, i % 2);
  }
  sheet.column->addLayout(grid);

  const struct {
    const char* icon;
    const char* title;
    bool selected;
  } providers[] = {{"sparkles", "Built-in AI", true}, {"desktopcomputer", "Ollama (Local)", false}, {"server.rack", "Custom API", false}};
  for (const auto& provider : providers) {
    auto* card = new RoundedCard({provider.selected ? color::withOpacity(color::blue(), 0.2) : color::secondarySystemFill(),
                                  provider.selected ? color::blue() : color::clear(), 1, 10, QMargins(12, 12, 12, 12)});
    card->setClickable(true);
    auto* row = new QHBoxLayout;
    row->addWidget(new SymbolLabel(SymbolIcon(provider.icon, 18, provider.selected ? color::blue() : color::secondaryLabel())));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(makeText(provider.title, font(TextStyle::subheadline, FontWeight::medium), color::label()));
    texts->addWidget(makeText("A short description", font(TextStyle::caption), color::secondaryLabel()));
    row->addLayout(texts);
    row->addStretch();
    if (provider.selected) row->addWidget(new SymbolLabel(SymbolIcon("checkmark.circle.fill", 16, color::blue())));
    card->contentLayout()->addLayout(row);
    sheet.column->addWidget(card);
  }
  sheet.expectRendered("feature_and_provider_cards", {520, 420});
}

TEST(Gallery, Buttons) {
  Sheet sheet;
  const struct {
    const char* name;
    ButtonStyle style;
  } styles[] = {{"Prominent", ButtonStyle::borderedProminent()}, {"Bordered", ButtonStyle::bordered()},
                {"Plain", ButtonStyle::plain()},                  {"Delete", ButtonStyle::destructive()},
                {"Save", ButtonStyle::filled(color::blue())},     {"Saved", ButtonStyle::filled(color::green())},
                {"Test Connection", ButtonStyle::outlined(color::blue())}};
  for (bool enabled : {true, false}) {
    auto* row = sheet.row();
    for (const auto& entry : styles) {
      auto* button = new StyledButton(entry.name, entry.style);
      button->setEnabled(enabled);
      row->addWidget(button);
    }
    row->addStretch();
  }
  auto* row = sheet.row();
  auto* draft = new StyledButton("Draft", ButtonStyle::borderedProminent());
  draft->setSymbol("wand.and.stars");
  row->addWidget(draft);
  auto* copy = new StyledButton({}, ButtonStyle::bordered());
  copy->setSymbol("doc.on.doc");
  row->addWidget(copy);
  auto* banner = new ConfirmationBanner("Copied to Clipboard!");
  banner->show();
  row->addWidget(banner);
  row->addStretch();

  auto tab = [](const QString& title, const QString& symbol, bool selected) {
    ButtonStyle style = ButtonStyle::plain();
    style.font = systemFont(14, FontWeight::medium);
    style.textColor = selected ? color::white() : color::secondaryLabel();
    style.background = {selected ? color::accent() : color::clear(), color::clear(), 0, 8, QMargins(16, 10, 16, 10)};
    style.symbolSpacing = 12;
    style.fillsWidth = true;
    auto* button = new StyledButton(title, style);
    button->setSymbol(symbol, 14);
    return button;
  };
  auto* sidebar = new QVBoxLayout;
  sidebar->setSpacing(4);
  sidebar->addWidget(tab("Home", "house.fill", true));
  sidebar->addWidget(tab("Features", "square.grid.2x2.fill", false));
  sidebar->addWidget(tab("AI Prompt", "brain.head.profile", false));
  sidebar->addWidget(tab("AI Models", "cpu", false));
  auto* sidebarRow = sheet.row();
  sidebarRow->addLayout(sidebar, 0);
  ButtonStyle website = ButtonStyle::plain();
  website.font = systemFont(16, FontWeight::semibold);
  website.textColor = color::secondaryLabel();
  website.background = {color::withOpacity(color::secondaryLabel(), 0.1), color::withOpacity(color::secondaryLabel(), 0.2), 1, 12,
                        QMargins(0, 14, 0, 14)};
  website.symbolSpacing = 12;
  auto* visit = new StyledButton("Visit Website", website);
  visit->setSymbol("globe", 16, FontWeight::medium);
  visit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  sidebarRow->addWidget(visit, 1, Qt::AlignTop);
  sheet.expectRendered("buttons", {760, 330});
}

TEST(Gallery, Controls) {
  Sheet sheet;
  auto* picker = new SegmentedPicker({"Write", "AI Agent", "Voice Agent"});
  picker->setTitle("Mode");
  sheet.column->addWidget(picker);

  auto* switches = sheet.row();
  auto* off = new Switch;
  auto* on = new Switch;
  on->setChecked(true);
  auto* disabled = new Switch;
  disabled->setChecked(true);
  disabled->setEnabled(false);
  switches->addWidget(off);
  switches->addWidget(on);
  switches->addWidget(disabled);
  switches->addStretch();

  auto* group = new DisclosureGroup("Customize Draft");
  group->setExpanded(true);
  group->contentLayout()->setSpacing(10);
  group->contentLayout()->addWidget(new TextField("Your instructions..."));
  auto* first = new QHBoxLayout;
  first->addWidget(makeText("Scenario:", font(TextStyle::body), color::label()));
  auto* scenario = new PopUpPicker;
  scenario->addItem("Professional", "professional");
  scenario->addItem("Casual", "casual");
  first->addWidget(scenario);
  first->addStretch();
  auto* length = new StepSlider(0, 2, 1);
  length->setValue(1);
  const QStringList lengths{"Brief", "Medium", "Detailed"};
  first->addWidget(new LabeledSlider("Length:", length, [lengths](double v) { return lengths.value(int(v)); }, 70));
  group->contentLayout()->addLayout(first);
  auto* emotion = new StepSlider(0, 4, 1);
  emotion->setValue(2);
  const QStringList emotions{"V.Friendly", "Friendly", "Neutral", "S.Angry", "Angry"};
  auto* second = new QHBoxLayout;
  second->addWidget(new LabeledSlider("Emotion:", emotion, [emotions](double v) { return emotions.value(int(v)); }, 100));
  second->addStretch();
  group->contentLayout()->addLayout(second);
  auto* draft = new StyledButton("Draft", ButtonStyle::borderedProminent());
  draft->setSymbol("wand.and.stars");
  group->contentLayout()->addWidget(draft, 0, Qt::AlignLeft);
  sheet.column->addWidget(group);
  sheet.column->addWidget(new DisclosureGroup("Answer AI Questions"));

  auto* advanced = new RoundedCard({color::secondarySystemFill(), color::clear(), 0, 8, QMargins(12, 12, 12, 12)});
  auto* settings = new DisclosureGroup("Advanced Settings");
  settings->setExpanded(true);
  auto* timeout = new StepSlider(10, 120, 5);
  timeout->setValue(30);
  settings->contentLayout()->addWidget(
      new LabeledSlider(timeout, [](double v) { return QString("Timeout (seconds): %1").arg(int(v)); }));
  auto* tokens = new StepSlider(256, 8192, 256);
  tokens->setValue(2048);
  settings->contentLayout()->addWidget(new LabeledSlider(tokens, [](double v) { return QString("Max Tokens: %1").arg(int(v)); }));
  advanced->contentLayout()->addWidget(settings);
  sheet.column->addWidget(advanced);
  sheet.column->addWidget(new ProgressIndicator("Generating Reply..."));
  sheet.column->addStretch();
  sheet.expectRendered("controls", {520, 580});
}

TEST(Gallery, TextInputs) {
  Sheet sheet;
  sheet.column->addWidget(new TextField("Refine instructions..."));
  auto* filled = new TextField("Enter your API key", FieldStyle::filled(color::tertiarySystemFill(), 12, 8));
  filled->setSecure(true);
  filled->setText("sk-secret");
  sheet.column->addWidget(filled);
  sheet.column->addWidget(new TextField("API endpoint URL", FieldStyle::filled(color::tertiarySystemFill(), 12, 8)));
  FieldStyle draftStyle = FieldStyle::roundedBorder();
  draftStyle.box.stroke = color::withOpacity(color::gray(), 0.5);
  draftStyle.focusRing = false;
  auto* draft = new TextEditor(draftStyle);
  draft->setText("Dear Anna,\n\nThank you for your message. I will send the figures on Monday.\n\nBest regards");
  draft->setMinimumHeight(150);
  sheet.column->addWidget(draft);
  auto* empty = new TextEditor(FieldStyle::filled(color::withOpacity(color::secondaryLabel(), 0.1), 8, 8));
  empty->setPlaceholder("Paste your settings here");
  empty->setMinimumHeight(80);
  sheet.column->addWidget(empty);
  sheet.expectRendered("text_inputs", {460, 460});
}

TEST(Gallery, Alert) {
  AlertDialog alert("Unsaved Changes",
                    "You have a generated draft. Leaving this tab will discard the current draft. Do you want to continue?");
  alert.addButton("Leave Tab", AlertDialog::Role::destructive);
  alert.addButton("Cancel", AlertDialog::Role::cancel);
  const QString path = gui_test::renderToPng(alert, "alert_destructive");
  EXPECT_FALSE(gui_test::isBlank(QImage(path)));

  AlertDialog notice("Connection Test", "✅ Connection successful!\n\nResponse: Hello");
  notice.addButton("OK");
  EXPECT_FALSE(gui_test::isBlank(QImage(gui_test::renderToPng(notice, "alert_notice"))));
}

}  // namespace
