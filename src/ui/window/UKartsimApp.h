#pragma once

#include <QApplication>
#include <QObject>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TErrorReport;

// The application of the window. An error that leaves a window handler is caught where the
// toolkit called the handler (ConnectHandler), or else where the event that ran it is delivered;
// it is reported, and the application goes on.
class TKartsimApp : public QApplication {
public:
  using TReportSink = std::function<void(const TErrorReport&)>;

  TKartsimApp(int& Argc, char** Argv);

  // The questions a command line asks of the program rather than of the window: --help (-h) and
  // --version are answered on Out, before any window or display is needed, with the exit status
  // (0). Nothing for any other command line, which opens the window.
  static std::optional<int> AnswerCommandLine(const std::vector<std::string>& Arguments,
                                              std::ostream& Out);

  bool notify(QObject* Receiver, QEvent* Event) override;
  // Runs a handler that the toolkit calls for a signal and reports an error that leaves it, with
  // the event being delivered. The error must not unwind through the toolkit's own frames, which
  // are built without cleanups for exceptions (their guards would leak, their states stay half
  // changed). Without this application the error goes on to the caller.
  static void RunHandler(const std::function<void()>& Handler);

  // Where the reports go (the main window shows them); to the standard error stream when none.
  void SetReportSink(TReportSink Sink) { FSink = std::move(Sink); }
  // Hands a report to the sink; a sink that fails has its own error written to standard error.
  void Report(const TErrorReport& Report) const;

private:
  // "a MouseButtonRelease event for StartBtn (QPushButton)", for the innermost event being
  // delivered; "no event" outside any.
  std::string DeliveryInProgress() const;

  TReportSink FSink;
  std::vector<std::pair<const QObject*, const QEvent*>> FDelivering; // innermost last
};

// Connects a signal to a handler of the window through RunHandler.
template <class TSender, class TSignal, class TReceiver>
QMetaObject::Connection ConnectHandler(TSender* Sender, TSignal Signal, TReceiver* Receiver,
                                       void (TReceiver::*Handler)()) {
  return QObject::connect(Sender, Signal, Receiver, [Receiver, Handler] {
    TKartsimApp::RunHandler([Receiver, Handler] { (Receiver->*Handler)(); });
  });
}
