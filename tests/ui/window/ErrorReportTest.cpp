#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/window/UReportDialog.h"

using TWindowErrors = TWindowTest;

TEST_F(TWindowErrors, AnErrorLeavingAHandlerIsReportedAndTheWindowGoesOn) {
  Dialogs->OnChooseColor = [] { throw ERangeError("The colour dialog failed."); };
  Click("EdColor");
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  const TErrorReport& report = Dialogs->Reports[0];
  EXPECT_EQ(report.Message, "The colour dialog failed.");
  EXPECT_EQ(report.Type, "ERangeError");
  EXPECT_EQ(report.Origin, "EdColorClick (a MouseButtonRelease event for EdColor (QPushButton))");
  EXPECT_LE(report.Time.secsTo(QDateTime::currentDateTime()), 60);

  Click("BtnAddPlayer");
  EXPECT_EQ(Form->CurrentTeam().MemberCount(), 2);
  EXPECT_EQ(Dialogs->Reports.size(), 1u);
}

TEST_F(TWindowErrors, TheReportIsSavedAndCopiedWhole) {
  TErrorReport report;
  try {
    throw EError("Selected player must be a team member.");
  } catch (...) {
    report = TErrorReport::FromCurrentException("step 3 of the run");
  }
  const QString text = report.Text();
  for (const char* part : {"Message: Selected player must be a team member.",
                           "Exception type: EError", "Where: step 3 of the run", "Time: "})
    EXPECT_TRUE(text.contains(part)) << part;

  TReportDialog dialog(report, *Dialogs);
  EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("EdReportDetails")->toPlainText(), text);
  auto click = [&](const char* Button) {
    QPushButton* button = dialog.findChild<QPushButton*>(Button);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
  };
  click("BtnCopyReport");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text);

  QTemporaryDir dir;
  Dialogs->SaveAnswers.push_back(dir.filePath("report.txt"));
  click("BtnSaveReport");
  QFile saved(dir.filePath("report.txt"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly | QIODevice::Text));
  EXPECT_EQ(QString::fromUtf8(saved.readAll()), text);

  // A report that cannot be written is an error of its own, reported in turn.
  Dialogs->SaveAnswers.push_back(dir.filePath("missing/report.txt"));
  click("BtnSaveReport");
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_EQ(Dialogs->Reports[0].Message.rfind("Cannot write the report", 0), 0u);
}
