#include "ui/window/UReportDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/UOutputFile.h"
#include "ui/qt/UReplayFile.h"
#include "ui/window/UDialogs.h"
#include "ui/window/UHandlerTrace.h"
#include "ui/window/UKartsimApp.h"

TReportDialog::TReportDialog(TErrorReport Report, TDialogs& Dialogs, QWidget* Parent)
    : QDialog(Parent), FReport(std::move(Report)), FDialogs(Dialogs) {
  setObjectName("ReportDialog");
  setWindowTitle("kartsim: error");
  auto* layout = new QVBoxLayout(this);
  auto* message = new QLabel(QString::fromStdString(FReport.Message), this);
  message->setObjectName("LbReportMessage");
  message->setWordWrap(true);
  message->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont big = message->font();
  big.setPointSizeF(big.pointSizeF() * 1.25);
  big.setBold(true);
  message->setFont(big);
  layout->addWidget(message);

  auto* details = new QPlainTextEdit(FReport.Text(), this);
  details->setObjectName("EdReportDetails");
  details->setReadOnly(true);
  layout->addWidget(details);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* save = buttons->addButton("Save to file...", QDialogButtonBox::ActionRole);
  save->setObjectName("BtnSaveReport");
  QPushButton* copy = buttons->addButton("Copy to clipboard", QDialogButtonBox::ActionRole);
  copy->setObjectName("BtnCopyReport");
  QPushButton* replay = buttons->addButton("Save replay...", QDialogButtonBox::ActionRole);
  replay->setObjectName("BtnSaveReplay");
  replay->setEnabled(!FReport.Replay.isEmpty());
  layout->addWidget(buttons);
  ConnectHandler(replay, &QPushButton::clicked, this, &TReportDialog::BtnSaveReplayClick);
  ConnectHandler(save, &QPushButton::clicked, this, &TReportDialog::BtnSaveReportClick);
  ConnectHandler(copy, &QPushButton::clicked, this, &TReportDialog::BtnCopyReportClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(520, 300);
}

void TReportDialog::BtnSaveReportClick() {
  const THandlerTrace trace(__func__);
  if (const std::optional<QString> name = FDialogs.SaveFile(this, QString()))
    FReport.SaveToFile(*name);
}

void TReportDialog::BtnCopyReportClick() {
  const THandlerTrace trace(__func__);
  QApplication::clipboard()->setText(FReport.Text());
}

void TReportDialog::BtnSaveReplayClick() {
  const THandlerTrace trace(__func__);
  const std::optional<QString> name =
      FDialogs.SaveFileAs(this, QString(), TReplayFile::Filter(), {".kartsim-replay.json"});
  if (!name)
    return;
  TOutputFile file(TOutputFile::NativeName(*name), "the replay");
  file.Write(FReport.Replay);
  file.Commit();
}
