#include "ui/qt/UVideoRecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "platform/UErrors.h"

namespace {

// Frames handed to ffmpeg and not yet written to its pipe before AddFrame waits: enough to ride
// out a slow frame of the encoder, few enough to bound the memory (1.4 MB a frame at 800 x 600).
constexpr int64_t MaxPendingFrames = 4;
// How long AddFrame waits for an encoder that takes nothing before giving up on it.
constexpr auto StallLimit = std::chrono::seconds(60);
// How long ffmpeg may take to write the end of the file once the last frame is in.
constexpr int FinishLimitMs = 10 * 60 * 1000;
// The end of ffmpeg's messages kept for the error: its last line says why it failed.
constexpr size_t MaxLogBytes = 4096;

std::string Quoted(const std::string& Text) {
  return "\"" + Text + "\"";
}

bool EndsWith(const std::string& Text, const std::string& End) {
  if (Text.size() < End.size())
    return false;
  for (size_t i = 0; i < End.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(Text[Text.size() - End.size() + i])) != End[i])
      return false;
  return true;
}

bool IsGif(const std::string& FileName) {
  return EndsWith(FileName, ".gif");
}

QStringList FfmpegArguments(const QString& Output, int32_t Width, int32_t Height,
                            double FramesPerSecond, bool Gif) {
  QStringList args =
      QString("-hide_banner -loglevel error -nostats -f rawvideo -pixel_format rgb24").split(' ');
  args << "-video_size" << QString("%1x%2").arg(Width).arg(Height) << "-framerate"
       << QString::number(FramesPerSecond, 'g', 12) << "-i"
       << "pipe:0";
  if (Gif) {
    // A palette per frame keeps nothing in memory between frames, so that a long recording does
    // not grow; the circuits have few colours, which a palette of 256 holds well.
    args << "-vf"
         << "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1"
         << QString("-loop 0 -f gif").split(' ');
  } else {
    // One thread and the fastest preset (about 4 ms of a core for a frame of 800 x 600, against 6
    // for "veryfast"): the encoder shares the machine with the futures, which count for more than
    // the files being two or three times smaller.
    args << "-vf"
         << "pad=ceil(iw/2)*2:ceil(ih/2)*2"
         << QString("-c:v libx264 -preset ultrafast -threads 1 -pix_fmt yuv420p "
                    "-movflags +faststart -f mp4")
                .split(' ');
  }
  args << "-y" << Output;
  return args;
}

} // namespace

TVideoRecorder::TVideoRecorder(const std::string& FileName, int32_t Width, int32_t Height,
                               double FramesPerSecond)
    : FFileName(FileName), FWidth(Width), FHeight(Height) {
  if (!IsVideoName(FileName))
    throw EError("Cannot record the video " + Quoted(FileName) +
                 ": the name must end in .mp4 or .gif.");
  if (Width <= 0 || Height <= 0 || !(FramesPerSecond > 0))
    throw EError("Cannot record the video " + Quoted(FileName) + ": no picture to record.");
  const QString program = FindFfmpeg();
  if (program.isEmpty())
    throw EError(MissingFfmpegMessage());
  // Created here rather than by ffmpeg, so that a folder that cannot be written is found at once
  // and no other recording picks the same name; with the permissions of any new file.
  QString error;
  const QString stem = QString::fromStdString(FileName) + "." +
                       QString::number(QCoreApplication::applicationPid()) + "-";
  for (int attempt = 1; attempt <= 100 && FTempName.isEmpty(); ++attempt) {
    QFile temp(stem + QString::number(attempt) + ".part");
    if (temp.open(QIODevice::WriteOnly | QIODevice::NewOnly))
      FTempName = temp.fileName();
    else
      error = temp.errorString();
  }
  if (FTempName.isEmpty())
    throw EError("Cannot record the video " + Quoted(FileName) + ": " + error.toStdString() + ".");

  FThread = std::make_unique<QThread>();
  FThread->start();
  FContext = new QObject;
  FContext->moveToThread(FThread.get());
  StartProcess(program,
               FfmpegArguments(FTempName, Width, Height, FramesPerSecond, IsGif(FileName)));
  std::string why;
  {
    std::lock_guard lock(FLock);
    why = FStopReason;
  }
  if (!why.empty()) {
    Abandon();
    throw EError("Cannot record the video " + Quoted(FileName) + ": " + why + ".");
  }
}

TVideoRecorder::~TVideoRecorder() {
  Abandon();
}

QString TVideoRecorder::FindFfmpeg() {
  return QStandardPaths::findExecutable("ffmpeg");
}

std::string TVideoRecorder::MissingFfmpegMessage() {
  return "ffmpeg was not found on the PATH: recording a video needs it (Debian package ffmpeg: "
         "apt-get install ffmpeg).";
}

bool TVideoRecorder::IsVideoName(const std::string& FileName) {
  return EndsWith(FileName, ".mp4") || EndsWith(FileName, ".gif");
}

double TVideoRecorder::FramesPerSecond(int32_t SubStepMs) {
  return 1000.0 / SubStepMs;
}

template <class F> void TVideoRecorder::OnWorker(F Work) {
  QMetaObject::invokeMethod(FContext, Work, Qt::BlockingQueuedConnection);
}

void TVideoRecorder::StartProcess(const QString& Program, const QStringList& Arguments) {
  OnWorker([&] {
    FProcess = new QProcess(FContext);
    FProcess->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(FProcess, &QProcess::bytesWritten, FContext, [this](qint64 Bytes) {
      std::lock_guard lock(FLock);
      FPendingBytes -= Bytes;
      FChanged.notify_all();
    });
    QObject::connect(FProcess, &QProcess::readyReadStandardError, FContext,
                     [this] { KeepLog(FProcess->readAllStandardError()); });
    QObject::connect(FProcess, &QProcess::finished, FContext,
                     [this](int Code, QProcess::ExitStatus Status) {
                       if (!FClosing)
                         Stopped(ExitReason(Code, Status == QProcess::CrashExit, true));
                     });
    QObject::connect(FProcess, &QProcess::errorOccurred, FContext,
                     [this](QProcess::ProcessError Error) {
                       if (Error != QProcess::WriteError || FClosing)
                         return;
                       // A closed pipe mostly means ffmpeg is ending: its exit says why.
                       if (!FProcess->waitForFinished(5000))
                         Stopped("ffmpeg stopped reading the frames");
                     });
    FProcess->start(Program, Arguments);
    if (!FProcess->waitForStarted())
      Stopped("ffmpeg did not start (" + FProcess->errorString().toStdString() + ")");
  });
}

std::string TVideoRecorder::ExitReason(int Code, bool Crashed, bool Early) {
  if (Crashed)
    return "ffmpeg stopped unexpectedly (killed or crashed)";
  if (Code != 0)
    return "ffmpeg failed with exit status " + std::to_string(Code);
  return Early ? "ffmpeg ended before the recording did" : std::string();
}

void TVideoRecorder::KeepLog(const QByteArray& Text) {
  std::lock_guard lock(FLock);
  FLog.append(Text.constData(), static_cast<size_t>(Text.size()));
  if (FLog.size() > MaxLogBytes)
    FLog.erase(0, FLog.size() - MaxLogBytes);
}

void TVideoRecorder::Stopped(const std::string& Why) {
  std::lock_guard lock(FLock);
  if (FStopReason.empty())
    FStopReason = Why;
  FChanged.notify_all();
}

void TVideoRecorder::AddFrame(const QImage& Frame) {
  if (FDone)
    throw EError("Cannot record the video " + Quoted(FFileName) + ": the recording has ended.");
  if (Frame.width() != FWidth || Frame.height() != FHeight)
    throw EError("Cannot record the video " + Quoted(FFileName) + ": the picture is now " +
                 std::to_string(Frame.width()) + " by " + std::to_string(Frame.height()) +
                 " pixels, the video " + std::to_string(FWidth) + " by " + std::to_string(FHeight) +
                 ".");
  // A shallow copy for the thread: the picture's next drawing detaches it, not this.
  const QImage image = Frame.format() == QImage::Format_RGB888
                           ? Frame
                           : Frame.convertToFormat(QImage::Format_RGB888);
  const int64_t rowBytes = static_cast<int64_t>(FWidth) * 3;
  const int64_t frameBytes = rowBytes * FHeight;
  {
    std::unique_lock lock(FLock);
    const bool ready = FChanged.wait_for(lock, StallLimit, [&] {
      return !FStopReason.empty() || FPendingBytes <= (MaxPendingFrames - 1) * frameBytes;
    });
    if (!FStopReason.empty()) {
      lock.unlock();
      Fail("");
    }
    if (!ready) {
      lock.unlock();
      Fail("ffmpeg took no frame for " + std::to_string(StallLimit.count()) + " s");
    }
    FPendingBytes += frameBytes;
  }
  QMetaObject::invokeMethod(
      FContext,
      [this, image, rowBytes, frameBytes] {
        if (FProcess->state() != QProcess::Running) {
          std::lock_guard lock(FLock);
          FPendingBytes -= frameBytes;
          FChanged.notify_all();
          return;
        }
        const char* bits = reinterpret_cast<const char*>(image.constBits());
        if (image.bytesPerLine() == rowBytes)
          FProcess->write(bits, frameBytes);
        else
          for (int y = 0; y < image.height(); ++y)
            FProcess->write(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
      },
      Qt::QueuedConnection);
  ++FFrameCount;
}

void TVideoRecorder::Finish() {
  if (FDone)
    return;
  std::string why;
  OnWorker([&] {
    FClosing = true;
    if (FProcess->state() == QProcess::Running) {
      // Every frame queued before this is written first: closing waits for the buffer.
      FProcess->closeWriteChannel();
      if (!FProcess->waitForFinished(FinishLimitMs)) {
        FProcess->kill();
        FProcess->waitForFinished();
        why = "ffmpeg did not finish the file within " + std::to_string(FinishLimitMs / 60000) +
              " minutes";
      }
    }
    KeepLog(FProcess->readAllStandardError());
    if (why.empty())
      why = ExitReason(FProcess->exitCode(), FProcess->exitStatus() == QProcess::CrashExit, false);
  });
  {
    std::lock_guard lock(FLock);
    if (!FStopReason.empty())
      why = FStopReason;
  }
  if (!why.empty())
    Fail(why);
  std::error_code ec;
  std::filesystem::rename(FTempName.toStdString(), FFileName, ec);
  if (ec)
    Fail("cannot give the file its name (" + ec.message() + ")");
  FDone = true;
  StopThread();
}

void TVideoRecorder::Fail(const std::string& Why) {
  std::string reason = Why, last;
  {
    std::lock_guard lock(FLock);
    if (reason.empty())
      reason = FStopReason;
  }
  Abandon();
  last = LastLogLine();
  throw EError("Cannot record the video " + Quoted(FFileName) + ": " + reason +
               (last.empty() ? std::string() : " (\"" + last + "\")") +
               "; the unfinished video was removed.");
}

void TVideoRecorder::Abandon() {
  if (FContext != nullptr && FProcess != nullptr)
    OnWorker([&] {
      FClosing = true;
      if (FProcess->state() != QProcess::NotRunning) {
        FProcess->kill();
        FProcess->waitForFinished();
      }
      KeepLog(FProcess->readAllStandardError());
    });
  StopThread();
  if (!FDone && !FTempName.isEmpty()) {
    std::error_code ec;
    std::filesystem::remove(FTempName.toStdString(), ec);
  }
  FDone = true;
}

void TVideoRecorder::StopThread() {
  if (!FThread)
    return;
  // The context, and the process it owns, go with the thread's end.
  QObject::connect(FThread.get(), &QThread::finished, FContext, &QObject::deleteLater);
  FThread->quit();
  FThread->wait();
  FThread.reset();
  FContext = nullptr;
  FProcess = nullptr;
}

std::string TVideoRecorder::LastLogLine() const {
  std::lock_guard lock(FLock);
  size_t end = FLog.find_last_not_of(" \r\n");
  if (end == std::string::npos)
    return {};
  const size_t begin = FLog.find_last_of("\r\n", end);
  return FLog.substr(begin == std::string::npos ? 0 : begin + 1,
                     end + 1 - (begin == std::string::npos ? 0 : begin + 1));
}
