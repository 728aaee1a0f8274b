#include "ui/window/UKartsimApp.h"

#include <QEvent>
#include <QMetaEnum>
#include <QThread>
#include <csignal>
#include <exception>
#include <iostream>
#include <string>

#include "ui/window/UErrorReport.h"

namespace {

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
