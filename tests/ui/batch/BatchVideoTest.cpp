#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

#include "ShellRun.h"

namespace {

// A short run of the kart: ten steps of few futures.
std::string Batch(const std::string& Video) {
  return std::string(KARTSIM_BATCH_EXE) +
         " --scenario kart --steps 10 --futures 20 --seconds 1 --seed 3 --video '" + Video + "'";
}

// The names in the folder but the stand-in programs': what the run left behind.
QStringList Left(const QTemporaryDir& Dir) {
  QStringList names = QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
  names.removeAll("ffmpeg");
  return names;
}

bool IsKind(const QString& Name, mode_t Kind) {
  struct stat st {};
  return lstat(QFile::encodeName(Name).constData(), &st) == 0 && (st.st_mode & S_IFMT) == Kind;
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

TEST(BatchVideo, GoesThroughALinkAndIntoAFifoOrADeviceWithoutReplacingThem) {
  QTemporaryDir dir;
  // A link to nothing yet: what it points to becomes the video, and the link stays.
  const QString link = dir.filePath("link.mp4"), target = dir.filePath("target.bin");
  ASSERT_TRUE(QFile::link(target, link));
  const TShellResult linked = RunShell(Batch(link.toStdString()));
  ASSERT_EQ(linked.Status, 0) << linked.Err;
  EXPECT_TRUE(IsKind(link, S_IFLNK));
  EXPECT_GT(QFileInfo(target).size(), 0);

  // A GIF goes straight into a FIFO, read as it comes.
  const QString fifo = dir.filePath("pipe.gif");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(fifo.toStdString(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    received = bytes.str();
  });
  const TShellResult piped = RunShell(Batch(fifo.toStdString()));
  // A reader still waiting for a writer that never came is let go.
  close(open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
  reader.join();
  EXPECT_EQ(piped.Status, 0) << piped.Err;
  EXPECT_EQ(received.substr(0, 6), "GIF89a");
  EXPECT_TRUE(IsKind(fifo, S_IFIFO));

  // An MP4, which ffmpeg goes back into, cannot go into a FIFO; nor any video into a folder:
  // both are refused before the first step, and nothing is written.
  const QString fifoMp4 = dir.filePath("pipe.mp4"), folder = dir.filePath("folder.mp4");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifoMp4).constData(), 0600), 0);
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mp4"));
  const std::string csv = " --csv " + dir.filePath("rows.csv").toStdString();
  const std::pair<QString, const char*> refused[] = {{fifoMp4, "a GIF can go there"},
                                                     {folder, "it is a folder"}};
  for (const auto& [name, why] : refused) {
    const TShellResult r = RunShell(Batch(name.toStdString()) + csv);
    EXPECT_EQ(r.Status, 2) << r.Err;
    EXPECT_NE(r.Err.find(why), std::string::npos) << r.Err;
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("rows.csv")));

  // A null device of our own, never the system's.
  const QString device = dir.filePath("null.mp4");
  if (mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
    GTEST_SKIP() << "device nodes cannot be made here (not root)";
  EXPECT_EQ(RunShell(Batch(device.toStdString())).Status, 0);
  EXPECT_TRUE(IsKind(device, S_IFCHR));
}

TEST(BatchVideo, AFullDiskFailsTheRunWithTheSystemsReasonAndCommitsNoOtherFile) {
  // Files cut at 64 KB, and the signal of going beyond ignored: a write fails as on a full disk,
  // and ffmpeg, failing only when it writes the end of the video, would end well.
  for (const char* name : {"run.mp4", "run.gif"}) {
    QTemporaryDir dir;
    const TShellResult r = RunShell(
        "bash -c 'trap \"\" XFSZ; ulimit -f 64; exec \"$@\"' limited " +
        std::string(KARTSIM_BATCH_EXE) +
        " --scenario circle --steps 20 --futures 20 --seconds 1 --seed 3 --video '" +
        dir.filePath(name).toStdString() + "' --csv '" + dir.filePath("rows.csv").toStdString() +
        "' --save-scene '" + dir.filePath("end.kartsim.json").toStdString() + "'");
    EXPECT_EQ(r.Status, 1) << name;
    EXPECT_NE(r.Err.find("Cannot record the video"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("File too large"), std::string::npos) << r.Err;
    EXPECT_TRUE(Left(dir).isEmpty()) << Left(dir).join(", ").toStdString();
  }
}
