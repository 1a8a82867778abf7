// How long Mervo's window takes for what people do most: switching to a tab
// (its view built afresh, laid out and painted) and typing one character of
// the custom prompt (the binding, the preview and the save through to the
// shared settings file); and both with a prompt of megabytes, which must not
// hold the window up (a keystroke well under 30 ms with 1 MB, the AI Prompt
// tab open in well under 300 ms with 3 MB), with line breaks or as one line
// without a break opportunity (a pasted Base64 blob); and pasting such a
// text into the prompt editor and into the Import sheet (under 30 ms).

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "../support/RepeatedText.hpp"
#include "app/FeatureManager.hpp"
#include "app_views/AIPromptTab.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/ToggleRow.hpp"
#include "coredata/PersistentContainer.hpp"
#include "settings/UserSettings.hpp"
#include "ui/Switch.hpp"
#include "ui/TextEditor.hpp"
#include "ui/Theme.hpp"

namespace {

constexpr const char* kItemModel =
    "<plist version=\"1.0\"><dict><key>entities</key><array><dict><key>name</key><string>Item</string>"
    "<key>attributes</key><array><dict><key>name</key><string>timestamp</string><key>type</key><string>date</string>"
    "</dict></array></dict></array></dict></plist>";

struct Window {
  coredata::PersistentContainer store{"quorbel", coredata::ManagedObjectModel::parse(kItemModel)};
  mervo::UserSettings userSettings;
  mervo::FeatureManager featureManager;
  mervo::LLMProviderConfig llmConfig;
  mervo::LLMAPIService llmService{mervo::EnvironmentConfig::shared(), llmConfig};
  std::unique_ptr<mervo::views::ContentView> view;

  Window() {
    store.loadPersistentStores([](const auto&, const platform::ErrorPtr&) {});
    view = std::make_unique<mervo::views::ContentView>(
        mervo::views::AppEnvironment{store.viewContext(), userSettings, featureManager, llmConfig, llmService});
    view->resize(1000, 700);
    view->show();
    (void)QTest::qWaitForWindowExposed(view.get());
  }
};

void BM_TabSwitch(benchmark::State& state) {
  Window window;
  const mervo::MainTab tabs[] = {mervo::MainTab::features, mervo::MainTab::prompt, mervo::MainTab::apiConfig,
                                 mervo::MainTab::home};
  std::size_t next = 0;
  for (auto _ : state) {
    window.view->state().selectTab(tabs[next++ % std::size(tabs)]);
    window.view->repaint();
  }
}
BENCHMARK(BM_TabSwitch)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PromptKeystrokeToFile(benchmark::State& state) {
  Window window;
  window.view->state().selectTab(mervo::MainTab::prompt);
  auto* tab = window.view->tabContent()->findChild<mervo::views::AIPromptTab*>();
  tab->customPromptRow()->toggle()->setChecked(true);
  auto* edit = tab->editor()->plainTextEdit();
  edit->moveCursor(QTextCursor::End);
  for (auto _ : state) QTest::keyClick(edit, Qt::Key_A);
}
BENCHMARK(BM_PromptKeystrokeToFile)->Unit(benchmark::kMillisecond)->Iterations(200)->Repetitions(5)->ReportAggregatesOnly(true);

// A prompt of `bytes` as people write long ones, lines of prose in
// paragraphs; or, `unbroken`, one line without a break opportunity.
std::string largePrompt(std::size_t bytes, bool unbroken) {
  if (unbroken) return bench_support::repeated("QmFzZTY0", bytes).substr(0, bytes);
  std::string prompt;
  for (std::size_t line = 0; prompt.size() < bytes; ++line) {
    prompt += "Rule " + std::to_string(line) +
              ": answer in the customer's language, keep to the facts in the quoted message, and sign as the team.\n";
    if (line % 8 == 7) prompt += "\n";
  }
  prompt.resize(bytes);
  return prompt;
}

std::size_t bytesOf(const benchmark::State& state) { return static_cast<std::size_t>(state.range(0)); }
bool unbrokenOf(const benchmark::State& state) { return state.range(1) != 0; }

// The custom prompt switched on and holding the benchmark's text, saved.
void useLargePrompt(Window& window, const benchmark::State& state) {
  window.userSettings.customSystemPrompt = largePrompt(bytesOf(state), unbrokenOf(state));
  window.userSettings.useCustomPrompt = true;
  window.userSettings.saveSettings();
}

QPlainTextEdit* promptEditor(Window& window) {
  window.view->state().selectTab(mervo::MainTab::prompt);
  auto* edit = window.view->tabContent()->findChild<mervo::views::AIPromptTab*>()->editor()->plainTextEdit();
  edit->setFocus();
  return edit;
}

// Ctrl+V with the benchmark's text on the clipboard, in place of all the
// editor holds (one character more every other time, so that each paste
// changes the text), and what follows it: the binding, the preview, the
// save, the layout.
void pasteOverAll(benchmark::State& state, QPlainTextEdit* edit) {
  const std::string text = largePrompt(bytesOf(state), unbrokenOf(state));
  const QString texts[] = {QString::fromStdString(text), QString::fromStdString(text + "!")};
  std::size_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QGuiApplication::clipboard()->setText(texts[next++ % 2]);
    state.ResumeTiming();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCoreApplication::processEvents();
  }
}

void largeTexts(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"bytes", "unbroken"})
      ->Args({1 << 20, 0})
      ->Args({1 << 20, 1})
      ->Args({3 << 20, 0})
      ->Args({3 << 20, 1})
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
}

void BM_KeystrokeInALargePrompt(benchmark::State& state) {
  Window window;
  useLargePrompt(window, state);
  auto* edit = promptEditor(window);
  edit->moveCursor(QTextCursor::End);
  for (auto _ : state) {
    QTest::keyClick(edit, Qt::Key_A);
    QCoreApplication::processEvents();  // the preview and layout follow
  }
}
BENCHMARK(BM_KeystrokeInALargePrompt)->Apply(largeTexts)->Iterations(20);

void BM_PasteALargePrompt(benchmark::State& state) {
  Window window;
  window.userSettings.useCustomPrompt = true;
  pasteOverAll(state, promptEditor(window));
}
BENCHMARK(BM_PasteALargePrompt)->Apply(largeTexts)->Iterations(10);

void BM_PasteIntoTheImportSheet(benchmark::State& state) {
  Window window;
  window.view->state().openImportSheet();
  (void)QTest::qWaitForWindowExposed(window.view->importSheet());
  pasteOverAll(state, window.view->importSheet()->editor()->plainTextEdit());
}
BENCHMARK(BM_PasteIntoTheImportSheet)->Apply(largeTexts)->Iterations(10);

void BM_OpenThePromptTabWithALargePrompt(benchmark::State& state) {
  Window window;
  useLargePrompt(window, state);
  for (auto _ : state) {
    window.view->state().selectTab(mervo::MainTab::prompt);
    window.view->repaint();
    state.PauseTiming();
    window.view->state().selectTab(mervo::MainTab::home);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenThePromptTabWithALargePrompt)->Apply(largeTexts)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  auto folder = std::filesystem::temp_directory_path() / "mervo-ui-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  setenv("XDG_DATA_HOME", folder.c_str(), 1);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ui::applyTheme(application);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
