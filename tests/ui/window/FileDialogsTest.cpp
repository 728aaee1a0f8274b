#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "ui/window/URunLoop.h"

using TWindowFileDialogs = TWindowTest;

TEST_F(TWindowFileDialogs, OpenInTheFolderLastUsedAndAskBeforeReplacingTheNameTheyMake) {
  QTemporaryDir dir;
  const QString scene = dir.filePath("run.kartsim.json"), video = dir.filePath("run.mp4");
  ASSERT_TRUE(WriteFile(scene, "old"));
  ASSERT_TRUE(WriteFile(video, "old"));
  // "run" becomes run.kartsim.json, which exists: no, and the dialog asks again (cancelled).
  Dialogs->SaveAnswers = {dir.filePath("run")};
  Trigger("SaveSceneAs");
  EXPECT_EQ(Dialogs->ReplaceAsked, std::vector<QString>{scene});
  EXPECT_EQ(Dialogs->SaveFilters.size(), 2u);
  // Yes: replaced.
  Dialogs->SaveAnswers = {dir.filePath("run")};
  Dialogs->ReplaceAnswers = {true};
  Trigger("SaveSceneAs");
  QFile saved(scene);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_NE(saved.readAll(), "old");
  // A video the same: refused, nothing recorded.
  Dialogs->SaveAnswers = {dir.filePath("run")};
  Trigger("RecordVideo");
  EXPECT_EQ(Dialogs->ReplaceAsked.back(), video);
  EXPECT_FALSE(Form->RunLoop().Recording());

  // The first dialog opened in the user's home, each later one where the last file was chosen.
  ASSERT_GE(Dialogs->Folders.size(), 2u);
  EXPECT_EQ(Dialogs->Folders.front(), QDir::homePath());
  EXPECT_EQ(Dialogs->Folders.back(), QDir(dir.path()).absolutePath());
}
