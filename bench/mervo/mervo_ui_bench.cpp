// How long Mervo's window takes for what people do most: switching to a tab
// (its view built afresh, laid out and painted) and typing one character of
// the custom prompt (the binding, the preview and the save through to the
// shared settings file); and both with a prompt of megabytes, which must not
// hold the window up (a keystroke well under 30 ms with 1 MB, the AI Prompt
// tab open in well under 300 ms with 3 MB).

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

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

// A prompt of `bytes` as people write long ones: lines of prose in
// paragraphs.
std::string largePrompt(std::size_t bytes) {
  std::string prompt;
  for (std::size_t line = 0; prompt.size() < bytes; ++line) {
    prompt += "Rule " + std::to_string(line) +
              ": answer in the customer's language, keep to the facts in the quoted message, and sign as the team.\n";
    if (line % 8 == 7) prompt += "\n";
  }
  prompt.resize(bytes);
  return prompt;
}

// The custom prompt switched on and holding `bytes`, saved.
void useLargePrompt(Window& window, std::size_t bytes) {
  window.userSettings.customSystemPrompt = largePrompt(bytes);
  window.userSettings.useCustomPrompt = true;
  window.userSettings.saveSettings();
}

void BM_KeystrokeInALargePrompt(benchmark::State& state) {
  Window window;
  useLargePrompt(window, static_cast<std::size_t>(state.range(0)));
  window.view->state().selectTab(mervo::MainTab::prompt);
  auto* edit = window.view->tabContent()->findChild<mervo::views::AIPromptTab*>()->editor()->plainTextEdit();
  edit->setFocus();
  edit->moveCursor(QTextCursor::End);
  for (auto _ : state) {
    QTest::keyClick(edit, Qt::Key_A);
    QCoreApplication::processEvents();  // the preview and layout follow
  }
}
BENCHMARK(BM_KeystrokeInALargePrompt)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_OpenThePromptTabWithALargePrompt(benchmark::State& state) {
  Window window;
  useLargePrompt(window, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    window.view->state().selectTab(mervo::MainTab::prompt);
    window.view->repaint();
    state.PauseTiming();
    window.view->state().selectTab(mervo::MainTab::home);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenThePromptTabWithALargePrompt)->Arg(3 << 20)->Unit(benchmark::kMillisecond)->Iterations(5)
    ->Repetitions(3)->ReportAggregatesOnly(true);

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
