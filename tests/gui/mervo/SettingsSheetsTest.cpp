#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <fstream>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "test_support/TempDir.hpp"
#include "app_views/AIPromptTab.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/SettingsSheets.hpp"
#include "ui/FocusRing.hpp"
#include "ui/StyledButton.hpp"
#include "ui/TextEditor.hpp"

namespace {

using mervo::EmailTone;
using mervo::views::ContentView;
using mervo::views::ExportSheet;
using mervo::views::ImportSheet;

// Public: the cases of parameterised tests act on it.
class SettingsSheetsTest : public mervo_gui_test::MervoGuiTest {
 public:
  void SetUp() override {
    MervoGuiTest::SetUp();
    view = std::make_unique<ContentView>(environment());
    gui_test::showAndWait(*view);
  }
  void TearDown() override {
    view.reset();
    MervoGuiTest::TearDown();
  }

  mervo::ContentViewState& state() { return view->state(); }

  static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  // Opens the import sheet and pastes the text into its editor.
  void paste(const QString& text) {
    state().openImportSheet();
    ASSERT_TRUE(gui_test::waitUntil([&] { return view->importSheet() && view->importSheet()->isVisible(); }));
    auto* edit = view->importSheet()->editor()->plainTextEdit();
    edit->selectAll();
    edit->insertPlainText(text);
  }

  // Presses "Import Settings", then the alert's button with that title.
  void confirmWith(const QString& choice) {
    click(view->importSheet()->importButton());
    ASSERT_TRUE(gui_test::waitUntil([&] { return view->importAlert() && view->importAlert()->isVisible(); }));
    auto* alert = view->importAlert();
    EXPECT_EQ(alert->windowTitle(), "Import Settings");
    EXPECT_NE(gui_test::findByText(*alert, "This will replace your current settings. Are you sure?"), nullptr);
    click(qobject_cast<QAbstractButton*>(gui_test::findByText(*alert, choice)));
    ASSERT_TRUE(gui_test::waitUntil([&] { return !view->importAlert(); }));
  }

  // Pastes the text from the clipboard into the open import sheet, as Ctrl+V does.
  void pasteFromTheClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(view->importSheet()->editor()->plainTextEdit(), Qt::Key_V, Qt::ControlModifier);
  }

  std::unique_ptr<ContentView> view;
};

TEST_F(SettingsSheetsTest, ExportShowsTheSettingsAndCopiesThem) {
  userSettings->emailTone = EmailTone::casual;
  state().exportSettings();
  auto* sheet = view->exportSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(sheet->windowTitle(), "Export Settings");
  EXPECT_EQ(sheet->settingsText()->text().toStdString(), *userSettings->exportSettings());
  EXPECT_NE(sheet->settingsText()->text().indexOf("\"casual\""), -1);
  click(sheet->copyButton());
  EXPECT_EQ(platform::Pasteboard::general().string(), userSettings->exportSettings());
  click(sheet->doneButton());
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->exportSheet(); }));
  EXPECT_FALSE(*state().showingExportSheet);
}

TEST_F(SettingsSheetsTest, AnEmptyExportShowsAnEmptyBoxAndCopiesNothingButEmptiness) {
  platform::Pasteboard::general().setString("old");
  state().showingExportSheet = true;
  ASSERT_NE(view->exportSheet(), nullptr);
  EXPECT_TRUE(view->exportSheet()->settingsText()->text().isEmpty());
  click(view->exportSheet()->copyButton());
  EXPECT_EQ(platform::Pasteboard::general().string(), "");
}

TEST_F(SettingsSheetsTest, EscapeClosesASheetAndTheFlagFollows) {
  paste("{\"emailTone\": \"formal\"}");
  QTest::keyClick(view->importSheet(), Qt::Key_Escape);
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->importSheet(); }));
  EXPECT_FALSE(*state().showingImportSheet);
  // Closed this way the text stays for the next opening.
  state().openImportSheet();
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importSheet() != nullptr; }));
  EXPECT_EQ(view->importSheet()->editor()->text(), "{\"emailTone\": \"formal\"}");
}

TEST_F(SettingsSheetsTest, ImportIsEnabledByOneVisibleCharacter) {
  paste("   \n\n  ");
  EXPECT_FALSE(view->importSheet()->importButton()->isEnabled());
  click(view->importSheet()->importButton());
  EXPECT_FALSE(view->importAlert());
  QTest::keyClicks(view->importSheet()->editor()->plainTextEdit(), "x");
  EXPECT_TRUE(view->importSheet()->importButton()->isEnabled());
}

TEST_F(SettingsSheetsTest, CancelInTheSheetEmptiesIt) {
  paste("{\"emailTone\": \"casual\"}");
  click(view->importSheet()->cancelButton());
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->importSheet(); }));
  EXPECT_TRUE(state().importText->empty());
  state().openImportSheet();
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importSheet() != nullptr; }));
  EXPECT_TRUE(view->importSheet()->editor()->text().isEmpty());
  EXPECT_EQ(*userSettings->emailTone, EmailTone::professional);
}

TEST_F(SettingsSheetsTest, CancelInTheAlertChangesNothing) {
  paste("{\"emailTone\": \"casual\"}");
  confirmWith("Cancel");
  EXPECT_EQ(*userSettings->emailTone, EmailTone::professional);
  EXPECT_TRUE(view->importSheet()->isVisible());
  EXPECT_FALSE(suite().object("emailTone"));
}

TEST_F(SettingsSheetsTest, ATextThatIsNoExportChangesNothingAndSaysSo) {
  paste("this is not JSON");
  confirmWith("Import");
  EXPECT_FALSE(*state().importSuccess);
  EXPECT_EQ(*userSettings->emailTone, EmailTone::professional);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importResultAlert() && view->importResultAlert()->isVisible(); }));
  EXPECT_NE(gui_test::findByText(*view->importResultAlert(), "The text is not a settings export. Nothing was changed."),
            nullptr);
  click(qobject_cast<QAbstractButton*>(gui_test::findByText(*view->importResultAlert(), "OK")));
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->importResultAlert(); }));
  EXPECT_TRUE(view->importSheet()->isVisible());  // to mend the text
}

// Settings the shared suite did not take are not reported as imported: the
// compose assistant would still read the old ones, and the window shows them
// too. Once the store takes them, the same text imports.
class ImportTheSuiteDidNotTake : public SettingsSheetsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ImportTheSuiteDidNotTake, SaysSoKeepsTheSheetAndShowsWhatIsStored) {
  userSettings->customSystemPrompt = std::string("Kept prompt");
  userSettings->useCustomPrompt = true;
  userSettings->saveSettings();
  state().selectTab(mervo::MainTab::prompt);
  auto* tab = view->tabContent()->findChild<mervo::views::AIPromptTab*>();
  ASSERT_NE(tab, nullptr);

  if (std::string(GetParam()) == "UnreadableWhenOpened") rereadStoresFromDisk();
  const auto file = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  { std::ofstream(file) << "<plist><dict><key>emailTone</dict></plist>"; }  // a hand edit's typo
  paste(R"({"emailTone": "casual", "customSystemPrompt": "Imported prompt"})");
  confirmWith("Import");
  EXPECT_FALSE(*state().importSuccess);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importResultAlert() && view->importResultAlert()->isVisible(); }));
  EXPECT_EQ(view->importResultAlert()->windowTitle(), "Import Failed");
  const auto* message = view->importResultAlert()->messageLabel();
  EXPECT_TRUE(message->text().startsWith(
      "The settings could not be saved, so the compose assistant still uses the previous ones. The settings file "))
      << message->text().toStdString();
  EXPECT_TRUE(message->text().contains("is not a property list")) << message->text().toStdString();
  click(qobject_cast<QAbstractButton*>(gui_test::findByText(*view->importResultAlert(), "OK")));
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->importResultAlert(); }));
  ASSERT_TRUE(view->importSheet() && view->importSheet()->isVisible());
  EXPECT_EQ(test_support::readFile(file), "<plist><dict><key>emailTone</dict></plist>");
  EXPECT_EQ(*userSettings->emailTone, EmailTone::professional);
  EXPECT_EQ(tab->editor()->text(), "Kept prompt");
  EXPECT_EQ(tab->activePrompt()->text(), "Kept prompt");

  std::filesystem::remove(file);
  confirmWith("Import");
  EXPECT_TRUE(*state().importSuccess);
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->importSheet(); }));
  EXPECT_EQ(tab->editor()->text(), "Imported prompt");
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("emailTone"), "casual");
  EXPECT_EQ(suite().string("customSystemPrompt"), "Imported prompt");
}

INSTANTIATE_TEST_SUITE_P(SettingsSheets, ImportTheSuiteDidNotTake, ::testing::Values("GoneBadWhileOpen", "UnreadableWhenOpened"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(SettingsSheetsTest, AValidExportIsAppliedAndTheSheetCloses) {
  paste("{\"emailTone\": \"casual\", \"useCustomPrompt\": true, \"customSystemPrompt\": \"Short answers.\"}");
  confirmWith("Import");
  EXPECT_TRUE(*state().importSuccess);
  EXPECT_EQ(*userSettings->emailTone, EmailTone::casual);
  EXPECT_TRUE(*userSettings->useCustomPrompt);
  EXPECT_TRUE(gui_test::waitUntil([&] { return !view->importSheet(); }));
  EXPECT_FALSE(view->importResultAlert());
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("emailTone"), "casual");
  EXPECT_EQ(suite().string("customSystemPrompt"), "Short answers.");
}

// An import that passes over invalid values names them once the sheet has
// closed, in an alert on the window.
TEST_F(SettingsSheetsTest, WhatAnImportPassedOverIsNamedOnTheWindow) {
  paste(R"({"emailTone":"loud","useCustomPrompt":"yes","responseLength":"short"})");
  confirmWith("Import");
  EXPECT_TRUE(*state().importSuccess);
  EXPECT_EQ(*userSettings->responseLength, mervo::ResponseLength::short_);
  ASSERT_TRUE(gui_test::waitUntil([&] { return !view->importSheet(); }));
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importResultAlert() && view->importResultAlert()->isVisible(); }));
  auto* alert = view->importResultAlert();
  EXPECT_EQ(alert->windowTitle(), "Settings Imported");
  EXPECT_EQ(alert->parentWidget(), view.get());
  EXPECT_EQ(gui_test::readableText(*alert->messageLabel()),
            "Not imported, as their values are not valid: useCustomPrompt, emailTone. The other settings were applied.");
}

// Pasted settings of a megabyte without a break opportunity (a prompt that
// is one Base64 blob) are taken at once and reach the import exactly; a
// paste that would take the text past 8 MB is refused before it is shown,
// and the window says why.
TEST_F(SettingsSheetsTest, ALongPasteIsTakenExactlyAndOnePastTheLimitIsRefused) {
  state().openImportSheet();
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importSheet() && view->importSheet()->isVisible(); }));
  for (qsizetype bytes : {qsizetype(256) << 10, qsizetype(1) << 20}) {
    SCOPED_TRACE(bytes);
    const QString text = "{\"customSystemPrompt\": \"" + QString("QmFzZTY0").repeated(bytes / 8) + "\"}";
    view->importSheet()->editor()->plainTextEdit()->selectAll();
    pasteFromTheClipboard(text);
    EXPECT_EQ(*state().importText, text.toStdString());
  }
  const std::string before = *state().importText;
  pasteFromTheClipboard(QString("x").repeated(mervo::UserSettings::kMaximumImportSize - before.size() + 1));
  EXPECT_EQ(*state().importText, before);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->importResultAlert() && view->importResultAlert()->isVisible(); }));
  EXPECT_EQ(view->importResultAlert()->windowTitle(), "Import Failed");
  EXPECT_EQ(gui_test::readableText(*view->importResultAlert()->messageLabel()),
            "The text is longer than a settings export can be (8 MB). Nothing was changed.");
  EXPECT_TRUE(view->importSheet()->isVisible());
}

// However a sheet closes, the keyboard focus is back on the control that had
// it when the sheet opened, ring and all where a key closed it.
struct SheetClose {
  const char* name;
  bool importSheet;
  std::function<void(SettingsSheetsTest&, QDialog&)> close;
  bool byKey;
};
void PrintTo(const SheetClose& c, std::ostream* os) { *os << c.name; }

class SheetClosing : public SettingsSheetsTest, public ::testing::WithParamInterface<SheetClose> {};

TEST_P(SheetClosing, GivesTheFocusBackToTheControlThatHadIt) {
  view->activateWindow();
  auto* opener = view->tabButton(mervo::MainTab::features);
  opener->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return opener->hasFocus(); }));
  if (GetParam().importSheet) {
    paste(R"({"emailTone": "casual"})");
  } else {
    state().exportSettings();
  }
  QDialog* sheet = GetParam().importSheet ? static_cast<QDialog*>(view->importSheet()) : view->exportSheet();
  ASSERT_TRUE(gui_test::waitUntil([&] { return sheet->isVisible(); }));
  sheet->activateWindow();
  ASSERT_TRUE(gui_test::waitUntil([&] { return QApplication::activeWindow() == sheet; }));
  GetParam().close(*this, *sheet);
  ASSERT_TRUE(gui_test::waitUntil([&] { return !view->exportSheet() && !view->importSheet(); }));
  // The window manager makes the window active again (the offscreen
  // platform leaves that to the test).
  view->activateWindow();
  EXPECT_TRUE(gui_test::waitUntil([&] { return opener->hasFocus(); }))
      << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "nothing") << " has it";
  EXPECT_EQ(ui::showsFocusRing(*opener), GetParam().byKey);
}

// Presses the sheet's button from the keyboard: Tab until it has the focus, then Space.
void pressFromTheKeyboard(QAbstractButton* button) {
  for (int stops = 0; !button->hasFocus() && stops < 10; ++stops) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(button, Qt::Key_Space);
}

INSTANTIATE_TEST_SUITE_P(
    SettingsSheets, SheetClosing,
    ::testing::Values(
        SheetClose{"ExportDoneClicked", false,
                   [](SettingsSheetsTest&, QDialog& sheet) { SettingsSheetsTest::click(static_cast<ExportSheet&>(sheet).doneButton()); }, false},
        SheetClose{"ExportDoneFromTheKeyboard", false,
                   [](SettingsSheetsTest&, QDialog& sheet) { pressFromTheKeyboard(static_cast<ExportSheet&>(sheet).doneButton()); },
                   true},
        SheetClose{"ExportReturn", false, [](SettingsSheetsTest&, QDialog& sheet) { QTest::keyClick(&sheet, Qt::Key_Return); },
                   true},
        SheetClose{"ExportEscape", false, [](SettingsSheetsTest&, QDialog& sheet) { QTest::keyClick(&sheet, Qt::Key_Escape); },
                   true},
        SheetClose{"ImportCancelClicked", true,
                   [](SettingsSheetsTest&, QDialog& sheet) { SettingsSheetsTest::click(static_cast<ImportSheet&>(sheet).cancelButton()); }, false},
        SheetClose{"ImportEscape", true, [](SettingsSheetsTest&, QDialog& sheet) { QTest::keyClick(&sheet, Qt::Key_Escape); },
                   true},
        SheetClose{"ImportConfirmedWithReturn", true,
                   [](SettingsSheetsTest& test, QDialog& sheet) {
                     pressFromTheKeyboard(static_cast<ImportSheet&>(sheet).importButton());
                     ASSERT_TRUE(gui_test::waitUntil([&] { return test.view->importAlert() && test.view->importAlert()->isVisible(); }));
                     QTest::keyClick(test.view->importAlert(), Qt::Key_Return);
                   },
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

// What the export sheet shows, pasted into the import sheet, brings back the
// very prompt: no-break spaces, line separators and emoji included.
TEST_F(SettingsSheetsTest, AnExportPastedBackBringsBackTheSamePrompt) {
  for (const char* prompt : {"10\u00a0km,\u00a0no\u00a0more", "first\u2028second", "Thanks 😀  \n\tBye  "}) {
    SCOPED_TRACE(prompt);
    userSettings->customSystemPrompt = std::string(prompt);
    state().exportSettings();
    ASSERT_TRUE(gui_test::waitUntil([&] { return view->exportSheet() && view->exportSheet()->isVisible(); }));
    const QString shown = view->exportSheet()->settingsText()->text();
    click(view->exportSheet()->doneButton());
    ASSERT_TRUE(gui_test::waitUntil([&] { return !view->exportSheet(); }));
    userSettings->customSystemPrompt = std::string("something else");
    paste(shown);
    confirmWith("Import");
    EXPECT_TRUE(*state().importSuccess);
    EXPECT_EQ(*userSettings->customSystemPrompt, prompt);
    rereadStoresFromDisk();
    EXPECT_EQ(suite().string("customSystemPrompt"), prompt);
    if (view->importResultAlert()) view->importResultAlert()->close();
    ASSERT_TRUE(gui_test::waitUntil([&] { return !view->importSheet() && !view->importResultAlert(); }));
  }
}

}  // namespace
