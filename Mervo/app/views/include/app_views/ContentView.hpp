#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

#include "app/ContentViewState.hpp"
#include "app/Item.hpp"
#include "app_views/AppEnvironment.hpp"
#include "app_views/SettingsSheets.hpp"
#include "ui/AlertDialog.hpp"
#include "ui/Bindings.hpp"

class QScrollArea;
class QVBoxLayout;

namespace ui {
class StyledButton;
}

namespace mervo::views {

// The window's content: a fixed left column with the product's name and a
// button per tab, and a scrolling area with the selected tab, built afresh
// each time a tab is chosen. It presents the export and import sheets and
// their alerts as its state asks.
class ContentView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinimumWidth = 800;
  static constexpr int kMinimumHeight = 400;

  explicit ContentView(AppEnvironment environment, QWidget* parent = nullptr);

  ContentViewState& state() { return state_; }
  ui::StyledButton* tabButton(MainTab tab) const { return tabButtons_.at(tab); }
  // Whether the tab's button wears the selection look.
  bool isHighlighted(MainTab tab) const;
  QWidget* tabContent() const { return tabContent_; }
  QScrollArea* scrollArea() const { return scroll_; }

  ExportSheet* exportSheet() const { return exportSheet_; }
  ImportSheet* importSheet() const { return importSheet_; }
  ui::AlertDialog* importAlert() const { return importAlert_; }
  // What came of an import that failed or passed over some members.
  ui::AlertDialog* importResultAlert() const { return importResultAlert_; }

  // The window's fetch of every item, oldest first; nothing shows it.
  const std::vector<std::shared_ptr<Item>>& items() const { return items_; }

 private:
  QWidget* makeSidebar();
  QWidget* makeTab(MainTab tab);
  void showTab(MainTab tab);
  void bindSheets();
  QWidget* alertParent();

  AppEnvironment environment_;
  ContentViewState state_;
  std::map<MainTab, ui::StyledButton*> tabButtons_;
  QScrollArea* scroll_ = nullptr;
  QVBoxLayout* page_ = nullptr;
  QWidget* tabContent_ = nullptr;
  QPointer<ExportSheet> exportSheet_;
  QPointer<ImportSheet> importSheet_;
  QPointer<ui::AlertDialog> importAlert_;
  QPointer<ui::AlertDialog> importResultAlert_;
  std::vector<std::shared_ptr<Item>> items_;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
