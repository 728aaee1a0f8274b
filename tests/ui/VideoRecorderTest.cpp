#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "platform/UErrors.h"
#include "ui/qt/UVideoRecorder.h"

namespace {

// What ffprobe says of the video's first stream, one "key=value" a line.
std::string Probe(const QString& File) {
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=codec_name,width,height,nb_read_frames "
                              "-of default=noprint_wrappers=1 '" +
                              File.toStdString() + "'";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[1024];
  size_t n;
  while (pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  if (pipe != nullptr)
    pclose(pipe);
  return out;
}

QImage Frame(int Width, int Height, int Shade) {
  QImage image(Width, Height, QImage::Format_RGB888);
  image.fill(QColor(Shade, 255 - Shade, 128));
  return image;
}

} // namespace

TEST(VideoRecorder, PadsOddSizesForH264AndWritesGifsForGifNames) {
  QTemporaryDir dir;
  const QString mp4 = dir.filePath("odd.mp4"), gif = dir.filePath("odd.GIF");
  for (const QString& name : {mp4, gif}) {
    TVideoRecorder recorder(name.toStdString(), 33, 21, TVideoRecorder::FramesPerSecond(100));
    for (int i = 0; i < 4; ++i)
      recorder.AddFrame(Frame(33, 21, i * 60));
    EXPECT_FALSE(QFile::exists(name)) << "named before it is complete";
    recorder.Finish();
  }
  const std::string h264 = Probe(mp4), animation = Probe(gif);
  for (const char* line : {"codec_name=h264", "width=34", "height=22", "nb_read_frames=4"})
    EXPECT_NE(h264.find(line), std::string::npos) << line << " in\n" << h264;
  for (const char* line : {"codec_name=gif", "width=33", "height=21", "nb_read_frames=4"})
    EXPECT_NE(animation.find(line), std::string::npos) << line << " in\n" << animation;
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(VideoRecorder, AFrameOfAnotherSizeOrAnAbandonedRecordingLeavesNoVideo) {
  QTemporaryDir dir;
  const QString name = dir.filePath("run.mp4");
  {
    TVideoRecorder recorder(name.toStdString(), 40, 30, 10);
    recorder.AddFrame(Frame(40, 30, 0));
    EXPECT_THROW(recorder.AddFrame(Frame(30, 40, 0)), EError);
  }
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
  EXPECT_THROW(TVideoRecorder("run.avi", 40, 30, 10), EError);
}
