#pragma once

#include <QDialog>

#include "ui/window/UErrorReport.h"

class TDialogs;

// Shows an error report: the message in large, the details below, and buttons that save the
// report to a text file, copy it to the clipboard or save the replay up to the error. Nothing is
// sent anywhere.
class TReportDialog : public QDialog {
  Q_OBJECT
public:
  TReportDialog(TErrorReport Report, TDialogs& Dialogs, QWidget* Parent = nullptr);

public slots:
  // Asks for a file name and writes the report there; a failure to write is an error of its own.
  void BtnSaveReportClick();
  void BtnCopyReportClick();
  // Asks for a file name and writes there the replay of what the window did up to the error,
  // which the batch runner runs to the same error.
  void BtnSaveReplayClick();

private:
  TErrorReport FReport;
  TDialogs& FDialogs;
};
