#include "app_views/ContentView.hpp"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app_views/AIPromptTab.hpp"
#include "app_views/FeaturesContentView.hpp"
#include "app_views/HomeTab.hpp"
#include "app_views/LLMConfigurationView.hpp"
#include "app_views/SettingsSheets.hpp"
#include "app_views/Stacks.hpp"
#include "ui/Divider.hpp"
#include "ui/Palette.hpp"
#include "ui/ScrollBars.hpp"
#include "ui/StyledButton.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

constexpr int kSidebarWidth = 220;

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void fillBackground(QWidget* widget, const QColor& color) {
  widget->setAutoFillBackground(true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, color);
  widget->setPalette(palette);
}

// Symbol and title over the column's width; white on the accent when
// selected, secondary on nothing otherwise.
ui::ButtonStyle tabButtonStyle(bool selected) {
  ui::ButtonStyle style = ui::ButtonStyle::plain();
  style.font = ui::systemFont(14, ui::FontWeight::medium);
  style.textColor = selected ? ui::color::white() : ui::color::secondaryLabel();
  style.background = {selected ? ui::color::accent() : ui::color::clear(), ui::color::clear(), 0, 8,
                      QMargins(16, 10, 16, 10)};
  style.symbolSpacing = 12;
  style.fillsWidth = true;
  return style;
}

// Shows the dialog while the flag holds; closing it any way clears the flag.
template <typename Dialog, typename Make>
void presentWhile(ui::Bindings& bindings, platform::Published<bool>& flag, QPointer<Dialog>& slot, Make make) {
  bindings.observe<bool>(flag, [&flag, &slot, make](bool shown) {
    if (shown && !slot) {
      slot = make();
      slot->setAttribute(Qt::WA_DeleteOnClose);
      QObject::connect(slot, &QDialog::finished, slot, [&flag] {
        if (*flag) flag = false;
      });
      slot->open();
    } else if (!shown && slot) {
      slot->close();
    }
  });
}

// The tab's view in the stack the window gives it.
QWidget* inStack(QWidget* view, int spacing) {
  auto* stack = new QWidget;
  verticalStack(stack, spacing)->addWidget(view);
  return stack;
}

}  // namespace

ContentView::ContentView(AppEnvironment environment, QWidget* parent)
    : QWidget(parent), environment_(environment), state_(environment.userSettings) {
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  fillBackground(this, ui::color::windowBackground());
  auto* split = new QHBoxLayout(this);
  split->setContentsMargins(0, 0, 0, 0);
  split->setSpacing(0);
  split->addWidget(makeSidebar());
  auto* divider = new ui::Divider(this);
  divider->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  divider->setFixedWidth(1);
  split->addWidget(divider);

  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->viewport()->setAutoFillBackground(false);
  // The page is no stop of Tab: it could show no focus, and the keys that
  // scroll it reach it from whichever control on it has the focus.
  scroll_->setFocusPolicy(Qt::NoFocus);
  ui::styleScrollBars(scroll_);
  auto* page = new QWidget;
  page->setAutoFillBackground(false);
  page_ = verticalStack(page, 20, 20);
  page_->addStretch();
  scroll_->setWidget(page);
  split->addWidget(scroll_, 1);

  bindings_.observe<MainTab>(state_.selectedTab, [this](MainTab tab) { showTab(tab); });
  bindSheets();

  {
    auto request = Item::fetchRequest();
    request.sortDescriptors = {{"timestamp", true}};
    if (auto fetched = environment_.viewContext.fetch<Item>(request)) items_ = std::move(*fetched);
  }
}

QWidget* ContentView::makeSidebar() {
  auto* sidebar = new QWidget(this);
  sidebar->setFixedWidth(kSidebarWidth);
  fillBackground(sidebar, ui::color::controlBackground());
  auto* column = verticalStack(sidebar, 0);
  auto* header = new QVBoxLayout;
  header->setContentsMargins(20, 20, 20, 20);
  header->addWidget(ui::makeText("Mervo", ui::systemFont(16, ui::FontWeight::semibold), ui::color::label(), sidebar));
  column->addLayout(header);

  auto* tabs = new QVBoxLayout;
  tabs->setContentsMargins(12, 16, 12, 0);
  tabs->setSpacing(4);
  for (MainTab tab : allCases<MainTab>()) {
    auto* button = new ui::StyledButton(qt(rawValue(tab)), tabButtonStyle(false), sidebar);
    button->setSymbol(qt(symbol(tab)), 14);
    button->setObjectName(qt(rawValue(tab)));
    // A click takes the focus too (without a ring), so that no ring stays on
    // a tab no longer chosen and the next Tab goes on from the chosen one.
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QAbstractButton::clicked, this, [this, tab] { state_.selectTab(tab); });
    tabButtons_[tab] = button;
    tabs->addWidget(button);
  }
  column->addLayout(tabs);
  column->addStretch();
  return sidebar;
}

bool ContentView::isHighlighted(MainTab tab) const {
  return tabButtons_.at(tab)->buttonStyle().background.fill == ui::color::accent();
}

QWidget* ContentView::makeTab(MainTab tab) {
  switch (tab) {
    case MainTab::home: return inStack(new HomeTab, 30);
    case MainTab::features: return new FeaturesContentView(environment_.featureManager, false);
    case MainTab::prompt: return inStack(new AIPromptTab(environment_.userSettings, state_.promptInForce), 20);
    case MainTab::apiConfig: return new LLMConfigurationView(environment_.llmConfig, environment_.llmService);
  }
  return nullptr;
}

void ContentView::showTab(MainTab tab) {
  for (auto& [candidate, button] : tabButtons_) button->setButtonStyle(tabButtonStyle(candidate == tab));
  delete tabContent_;
  tabContent_ = makeTab(tab);
  tabContent_->setParent(page_->parentWidget());
  page_->insertWidget(0, tabContent_);
  tabContent_->show();
  // Each tab opens at its top, not where the one before was scrolled to.
  scroll_->verticalScrollBar()->setValue(0);
}

// In front of the sheet while it is open; on the window once it has closed
// (it is deleted a little later, and would take the alert with it).
QWidget* ContentView::alertParent() {
  return importSheet_ && importSheet_->isVisible() ? static_cast<QWidget*>(importSheet_) : window();
}

void ContentView::bindSheets() {
  presentWhile(bindings_, state_.showingExportSheet, exportSheet_, [this] { return new ExportSheet(state_, this); });
  presentWhile(bindings_, state_.showingImportSheet, importSheet_, [this] { return new ImportSheet(state_, this); });
  presentWhile(bindings_, state_.showingImportAlert, importAlert_, [this] {
    auto* alert = new ui::AlertDialog("Import Settings", "This will replace your current settings. Are you sure?", alertParent());
    alert->addButton("Cancel", ui::AlertDialog::Role::cancel);
    const int import = alert->addButton("Import");
    connect(alert, &ui::AlertDialog::buttonClicked, this, [this, import](int index) {
      if (index == import) state_.confirmImport();
    });
    return alert;
  });
  presentWhile(bindings_, state_.showingImportResultAlert, importResultAlert_, [this] {
    auto* alert = new ui::AlertDialog(QString::fromStdString(state_.importResultTitle),
                                      QString::fromStdString(state_.importResultMessage), alertParent());
    alert->addButton("OK");
    return alert;
  });
}

}  // namespace mervo::views
