#include "ui/window/UKartsimApp.h"

#include <QEvent>
#include <QMetaEnum>
#include <QThread>
#include <csignal>
#include <exception>
#include <iostream>
#include <ostream>
#include <string>

#include "ui/window/UErrorReport.h"

#ifndef KARTSIM_VERSION
#define KARTSIM_VERSION "unknown"
#endif

namespace {

const char* const HelpText =
    "Usage: kartsim [FILE.kartsim.json]\n"
    "\n"
    "The window of the kart simulation: karts and rockets on a circuit, each deciding by the\n"
    "futures it imagines. FILE, when given, is a scene (saved by the window or by kartsim-batch\n"
    "--save-scene) opened as the window starts.\n"
    "\n"
    "Options:\n"
    "  -h, --help  this text\n"
    "  --version   the program's version\n"
    "\n"
    "The toolkit's own options (-platform, -style, ...) are taken as well.\n";

// "a MouseButtonRelease event for StartBtn (QPushButton)"
std::string Describe(const QObject* Receiver, const QEvent* Event) {
  const char* type = QMetaEnum::fromType<QEvent::Type>().valueToKey(Event->type());
  std::string text = std::string("a ") + (type != nullptr ? type : "user") + " event";
  if (Receiver != nullptr) {
    const std::string name = Receiver->objectName().toStdString();
    text += std::string(" for ") + (name.empty() ? "an unnamed " : name + " (") +
            Receiver->metaObject()->className() + (name.empty() ? "" : ")");
  }
  return text;
}

} // namespace

TKartsimApp::TKartsimApp(int& Argc, char** Argv) : QApplication(Argc, Argv) {
  // A frame or report written into a FIFO whose reader went away is an error to show, not the
  // end of the program.
  std::signal(SIGPIPE, SIG_IGN);
}

std::optional<int> TKartsimApp::AnswerCommandLine(const std::vector<std::string>& Arguments,
                                                  std::ostream& Out) {
  for (const std::string& argument : Arguments) {
    if (argument == "-h" || argument == "--help") {
      Out << HelpText;
      return 0;
    }
    if (argument == "--version") {
      Out << "kartsim " KARTSIM_VERSION "\n";
      return 0;
    }
  }
  return std::nullopt;
}

bool TKartsimApp::notify(QObject* Receiver, QEvent* Event) {
  // Events are delivered on other threads too (the video recorder's): only the window's own
  // thread keeps the list of deliveries in progress, which its handlers' reports read.
  if (QThread::currentThread() != thread())
    return QApplication::notify(Receiver, Event);
  FDelivering.emplace_back(Receiver, Event);
  try {
    const bool handled = QApplication::notify(Receiver, Event);
    FDelivering.pop_back();
    return handled;
  } catch (...) {
    FDelivering.pop_back();
    Report(TErrorReport::FromCurrentException(Describe(Receiver, Event)));
    return true;
  }
}

void TKartsimApp::RunHandler(const std::function<void()>& Handler) {
  try {
    Handler();
  } catch (...) {
    const auto* app = dynamic_cast<const TKartsimApp*>(instance());
    if (app == nullptr)
      throw;
    app->Report(TErrorReport::FromCurrentException(app->DeliveryInProgress()));
  }
}

std::string TKartsimApp::DeliveryInProgress() const {
  if (FDelivering.empty())
    return "no event";
  return Describe(FDelivering.back().first, FDelivering.back().second);
}

void TKartsimApp::Report(const TErrorReport& Report) const {
  try {
    if (FSink) {
      FSink(Report);
      return;
    }
  } catch (const std::exception& e) {
    std::cerr << "kartsim: the error report could not be shown: " << e.what() << std::endl;
  } catch (...) {
    std::cerr << "kartsim: the error report could not be shown." << std::endl;
  }
  std::cerr << Report.Text().toStdString() << std::flush;
}
