#pragma once

#include <QDialog>

#include "ui/window/UErrorReport.h"

class TDialogs;

// Shows an error report: the message in large, the details below, and buttons that save the
// report to a text file or copy it to the clipboard. Nothing is sent anywhere.
class TReportDialog : public QDialog {
  Q_OBJECT
public:
  TReportDialog(TErrorReport Report, TDialogs& Dialogs, QWidget* Parent = nullptr);

public slots:
  // Asks for a file name and writes the report there; a failure to write is an error of its own.
  void BtnSaveReportClick();
  void BtnCopyReportClick();

private:
  TErrorReport FReport;
  TDialogs& FDialogs;
};
