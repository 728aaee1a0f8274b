#pragma once

#include <QApplication>
#include <functional>

class TErrorReport;

// The application of the window. An error that leaves a window handler is caught where the event
// that ran the handler is delivered, reported, and the application goes on.
class TKartsimApp : public QApplication {
public:
  using TReportSink = std::function<void(const TErrorReport&)>;

  TKartsimApp(int& Argc, char** Argv);

  bool notify(QObject* Receiver, QEvent* Event) override;

  // Where the reports go (the main window shows them); to the standard error stream when none.
  void SetReportSink(TReportSink Sink) { FSink = std::move(Sink); }
  // Hands a report to the sink; a sink that fails has its own error written to standard error.
  void Report(const TErrorReport& Report) const;

private:
  TReportSink FSink;
};
