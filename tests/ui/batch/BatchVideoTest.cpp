#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <string>

#include "ShellRun.h"

namespace {

// A short run of the kart: ten steps of few futures.
std::string Batch(const std::string& Video) {
  return std::string(KARTSIM_BATCH_EXE) +
         " --scenario kart --steps 10 --futures 20 --seconds 1 --seed 3 --video '" + Video + "'";
}

// The names in the folder but the stand-in programs': what the run left behind.
QStringList Left(const QTemporaryDir& Dir) {
  QStringList names = QDir(Dir.path()).entryList(QDir::Files);
  names.removeAll("ffmpeg");
  return names;
}

} // namespace

TEST(BatchVideo, TenStepsMakeAnMp4OfTenFramesOfThePicturesSize) {
  QTemporaryDir dir;
  const QString video = dir.filePath("run.mp4");
  const TShellResult run = RunShell(Batch(video.toStdString()));
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TShellResult probe =
      RunShell("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
               "stream=codec_name,pix_fmt,width,height,nb_read_frames "
               "-of default=noprint_wrappers=1 '" +
               video.toStdString() + "'");
  ASSERT_EQ(probe.Status, 0) << probe.Err;
  for (const char* line :
       {"codec_name=h264", "pix_fmt=yuv420p", "width=800", "height=600", "nb_read_frames=10"})
    EXPECT_NE(probe.Out.find(line), std::string::npos) << line << " in\n" << probe.Out;
  EXPECT_EQ(Left(dir), QStringList{"run.mp4"});
}

TEST(BatchVideo, WithoutFfmpegTheRunExitsTwoBeforeItsFirstStepNamingThePackage) {
  QTemporaryDir empty, dir;
  const TShellResult r = RunShell("PATH='" + empty.path().toStdString() + "' " +
                                  Batch(dir.filePath("run.mp4").toStdString()) + " --csv '" +
                                  dir.filePath("steps.csv").toStdString() + "'");
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
  EXPECT_NE(r.Err.find("--video"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("Debian package ffmpeg"), std::string::npos) << r.Err;
  EXPECT_TRUE(Left(dir).isEmpty()) << Left(dir).join(", ").toStdString();
}

TEST(BatchVideo, AnEncoderKilledMidRunFailsTheRunAndLeavesNoVideo) {
  // In place of ffmpeg: it writes a little of the video, takes about two frames and is killed.
  QTemporaryDir dir;
  QFile script(dir.filePath("ffmpeg"));
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\n"
               "for last; do :; done\n"
               "echo partial > \"$last\"\n"
               "head -c 3000000 > /dev/null\n"
               "echo 'No space left on device' >&2\n"
               "kill -9 $$\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const TShellResult r = RunShell("PATH='" + dir.path().toStdString() + ":'\"$PATH\" " +
                                  Batch(dir.filePath("run.mp4").toStdString()));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Cannot record the video"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("killed"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("No space left on device"), std::string::npos) << r.Err;
  EXPECT_TRUE(Left(dir).isEmpty()) << Left(dir).join(", ").toStdString();
}
