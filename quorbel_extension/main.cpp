// quorbel_extension: the compose assistant, run by our stand-in for Mail.
//
//   reply MESSAGE.eml            the compose window answering the message
//                                (exits with status 3 where no display is found)
//   reply MESSAGE.eml --mode ..  the same session without a display (--out
//                                sends the draft as the window's Send does)
//   action | content-rules | security-status   the other handlers on demand
//   --help                       the usage

#include <QApplication>
#include <QTimer>

#include <unistd.h>

#include <iostream>
#include <variant>

#include "compose/CommandLine.hpp"
#include "compose/ComposeSessionViewController.hpp"
#include "compose/MailExtension.hpp"
#include "compose/ScriptedSession.hpp"
#include "compose_views/ExtensionViews.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/Console.hpp"
#include "mailkit/HandlerReports.hpp"
#include "mailkit/ReplySession.hpp"
#include "mailkit_window/ComposeWindow.hpp"
#include "qtbridge/DisplayCheck.hpp"
#include "qtbridge/QtMainQueue.hpp"
#include "ui/Theme.hpp"

namespace {

using namespace quorbel;

int runComposeWindow(int argc, char** argv, std::unique_ptr<mailkit::ReplySession> session,
                     const ReplyCommand& command) {
  QApplication application(argc, argv);
  ui::applyTheme(application);
  platform::qtbridge::installMainQueueDriver();
  platform::qtbridge::installClipboardPasteboard();
  mailkit::ComposeWindow window(std::move(session), &views::makeExtensionView, command.outFile);
  window.show();
  if (command.screenshot) {
    window.onPopoverShown([path = command.screenshot->string()](QWidget* popover) {
      // Let the layout settle, then keep a picture of the popover and quit.
      QTimer::singleShot(300, popover, [popover, path] {
        bool saved = popover->grab().save(QString::fromStdString(path));
        if (!saved) std::cerr << "Cannot write " << path << "\n";
        QApplication::exit(saved ? 0 : 1);
      });
    });
  }
  if (command.showAssistant || command.screenshot) QTimer::singleShot(0, &window, [&] { window.toggleExtensionPopover(); });
  return application.exec();
}

int runScripted(std::unique_ptr<mailkit::ReplySession> session, const ReplyCommand& command) {
  auto controller = std::dynamic_pointer_cast<ComposeSessionViewController>(session->openExtensionView());
  // A terminal would act on control characters in the model's text; a pipe
  // or a file gets the text exactly.
  const auto draftOutput = isatty(STDOUT_FILENO) ? DraftOutput::terminal : DraftOutput::exact;
  auto& popover = *controller->popover();
  int status = runScriptedSession(popover, *command.script, std::cout, std::cerr, draftOutput);
  if (status != 0 || !command.outFile) return status;
  return sendDraft(*session, popover.currentDraft.get(), *command.outFile, std::cerr);
}

int runReply(int argc, char** argv, MailExtension& extension, const ReplyCommand& command) {
  auto session = mailkit::ReplySession::open(extension, command.messageFile);
  if (!session) {
    std::cerr << session.error() << "\n";
    return 1;
  }
  if (command.script) return runScripted(std::move(*session), command);
  return runComposeWindow(argc, argv, std::move(*session), command);
}

}  // namespace

int main(int argc, char** argv) {
  platform::process_info::setArguments(argc, argv);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (isHelpRequest(arguments)) {
    std::cout << kUsage;
    return 0;
  }
  auto command = parseCommandLine(arguments);
  if (!command) {
    std::cerr << command.error() << "\n" << kUsage;
    return 2;
  }
  bool opensWindow = std::holds_alternative<ReplyCommand>(*command) && !std::get<ReplyCommand>(*command).script;
  // Qt would end the process for want of a display; say what to do instead.
  // The check lives on until Qt has connected.
  std::optional<platform::qtbridge::DisplayCheck> display;
  if (opensWindow) {
    if (const auto& problem = display.emplace(argc, argv).missingDisplay()) {
      std::cerr << "quorbel_extension: " << *problem
                << ". The compose window needs one: run the session without a window with --mode write or --mode "
                   "agent, or draw the popover into a file with QT_QPA_PLATFORM=offscreen and --screenshot FILE.png.\n";
      return platform::qtbridge::kNoDisplayExitStatus;
    }
  }
  // Standard output carries the program's answer (a draft, questions, rules);
  // the extension's diagnostics go beside it, to standard error.
  if (!opensWindow) platform::console::setSink([](std::string_view line) { std::cerr << line << "\n"; });

  MailExtension extension;
  return std::visit(
      [&](const auto& chosen) -> int {
        using Chosen = std::decay_t<decltype(chosen)>;
        if constexpr (std::is_same_v<Chosen, ReplyCommand>) {
          return runReply(argc, argv, extension, chosen);
        } else if constexpr (std::is_same_v<Chosen, MessageActionCommand>) {
          auto report = mailkit::messageActionReport(extension, chosen.messageFile);
          if (!report) {
            std::cerr << report.error() << "\n";
            return 1;
          }
          std::cout << *report << "\n";
          return 0;
        } else if constexpr (std::is_same_v<Chosen, ContentRulesCommand>) {
          std::cout << mailkit::contentRulesReport(extension);
          return 0;
        } else {
          std::cout << mailkit::securityStatusReport(extension);
          return 0;
        }
      },
      *command);
}
