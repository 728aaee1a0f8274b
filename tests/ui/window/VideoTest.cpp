#include <QAction>
#include <QFileInfo>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/URunLoop.h"

namespace {
class TWindowVideo : public TWindowTest {};
} // namespace

TEST_F(TWindowVideo, RecordsEveryPassAndTakesItsNameOnlyWhenUnchecked) {
  QTemporaryDir dir;
  const QString file = dir.filePath("run.mp4");
  Dialogs->SaveAnswers.push_back(file);
  Trigger("RecordVideo");
  ASSERT_TRUE(Form->RunLoop().Recording())
      << (Dialogs->Reports.empty() ? "" : Dialogs->Reports[0].Message);
  EXPECT_TRUE(Find<QAction>("RecordVideo").isChecked());
  RunPasses(3);
  EXPECT_FALSE(QFileInfo::exists(file));
  Trigger("RecordVideo");
  EXPECT_FALSE(Form->RunLoop().Recording());
  EXPECT_GT(QFileInfo(file).size(), 0);
  EXPECT_TRUE(Dialogs->Reports.empty());
}

TEST_F(TWindowVideo, WithoutFfmpegTheItemNamesThePackageAndStaysUnchecked) {
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent");
  Dialogs->SaveAnswers.push_back(QString("never asked.mp4"));
  Trigger("RecordVideo");
  qputenv("PATH", path);
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_NE(Dialogs->Reports[0].Message.find("ffmpeg"), std::string::npos);
  EXPECT_FALSE(Find<QAction>("RecordVideo").isChecked());
  EXPECT_FALSE(Form->RunLoop().Recording());
  EXPECT_EQ(Dialogs->SaveAnswers.size(), 1u); // no file was asked for
}
