#include "ui/qt/UVideoRecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/UErrors.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/UTemporaryFiles.h"

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
  // -xerror: an error writing the file ends ffmpeg with a failure, where it would otherwise go on
  // and end well with a file cut short.
  QStringList args =
      QString("-hide_banner -loglevel error -nostats -xerror -f rawvideo -pixel_format rgb24")
          .split(' ');
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
  ChooseTarget();
  // Created here rather than by ffmpeg, so that a folder that cannot be written is found at once
  // and no other recording picks the same name; with the permissions of any new file, or of the
  // file it replaces.
  if (!FStraight) {
    QString error;
    const QString stem = QFile::decodeName(FTarget.c_str()) + "." +
                         QString::number(QCoreApplication::applicationPid()) + "-";
    for (int attempt = 1; attempt <= 100 && FTempName.isEmpty(); ++attempt) {
      QFile temp(stem + QString::number(attempt) + ".part");
      if (temp.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        FTempName = temp.fileName();
        TTemporaryFiles::Add(QFile::encodeName(FTempName).toStdString());
        if (FMode >= 0)
          ::fchmod(temp.handle(), static_cast<mode_t>(FMode));
      } else {
        error = temp.errorString();
      }
    }
    if (FTempName.isEmpty())
      throw EError("Cannot record the video " + Quoted(FileName) + ": " + error.toStdString() +
                   ".");
  }

  FThread = std::make_unique<QThread>();
  FThread->start();
  if (!FThread->isRunning()) {
    // A limit on processes: the toolkit has said so on the standard error stream.
    FThread.reset();
    Abandon();
    throw EError("Cannot record the video " + Quoted(FileName) +
                 ": no thread could be started for the encoder.");
  }
  FContext = new QObject;
  FContext->moveToThread(FThread.get());
  const QString output = FTempName.isEmpty() ? QFile::decodeName(FTarget.c_str()) : FTempName;
  StartProcess(program, FfmpegArguments(output, Width, Height, FramesPerSecond, IsGif(FileName)));
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

void TVideoRecorder::ChooseTarget() {
  const std::string cannot = "Cannot record the video " + Quoted(FFileName) + ": ";
  FTarget = TOutputFile::LinkTarget(FFileName);
  struct stat st {};
  if (::stat(FTarget.c_str(), &st) != 0) {
    if (errno != ENOENT)
      throw EError(cannot + std::system_category().message(errno) + ".");
    return; // a new file
  }
  if (S_ISREG(st.st_mode)) {
    FMode = static_cast<int>(st.st_mode & 07777);
    return;
  }
  if (S_ISDIR(st.st_mode))
    throw EError(cannot + "it is a folder.");
  if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode))
    throw EError(cannot + "it is neither a regular file, a FIFO nor a character device.");
  FStraight = true;
  if (IsGif(FFileName))
    return;
  // ffmpeg goes back to the start of an MP4 to write its index: a FIFO, or a device it cannot
  // seek in, takes only a GIF. A FIFO is not opened here, which would wait for its reader.
  bool seekable = false;
  if (S_ISCHR(st.st_mode)) {
    const int fd = ::open(FTarget.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    seekable = fd >= 0 && ::lseek(fd, 0, SEEK_CUR) >= 0;
    if (fd >= 0)
      ::close(fd);
  }
  if (!seekable)
    throw EError(cannot + "an MP4 is written only into a file that can be sought, and this " +
                 (S_ISFIFO(st.st_mode) ? "FIFO" : "device") + " cannot; a GIF can go there.");
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
                       TTemporaryFiles::RemoveProcess(FPid);
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
    else
      TTemporaryFiles::AddProcess(FPid = static_cast<pid_t>(FProcess->processId()));
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
  if (FDone || FClosed)
    throw EError("Cannot record the video " + Quoted(FFileName) + ": the recording has ended.");
  if (Frame.width() != FWidth || Frame.height() != FHeight)
    throw EError("Cannot record the video " + Quoted(FFileName) + ": the picture is now " +
                 std::to_string(Frame.width()) + " by " + std::to_string(Frame.height()) +
                 " pixels, the video " + std::to_string(FWidth) + " by " + std::to_string(FHeight) +
                 ".");
  // A shallow copy for the thread: the picture's next drawing detaches it, not this.
  const QImage image = TQtPicture::ToRgb888(Frame);
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

void TVideoRecorder::Close() {
  if (FDone || FClosed)
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
    TTemporaryFiles::RemoveProcess(FPid);
    KeepLog(FProcess->readAllStandardError());
    if (why.empty())
      why = ExitReason(FProcess->exitCode(), FProcess->exitStatus() == QProcess::CrashExit, false);
  });
  {
    std::lock_guard lock(FLock);
    if (!FStopReason.empty())
      why = FStopReason;
  }
  if (!why.empty() || !WriteError().empty())
    Fail(why);
  FClosed = true;
  StopThread();
}

void TVideoRecorder::Finish() {
  if (FDone)
    return;
  Close();
  if (!FTempName.isEmpty()) {
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(FTempName).toStdString(), FTarget, ec);
    if (ec)
      Fail("cannot give the file its name (" + ec.message() + ")");
    TTemporaryFiles::Remove(QFile::encodeName(FTempName).toStdString());
  }
  FDone = true;
}

void TVideoRecorder::Fail(const std::string& Why) {
  std::string reason = Why;
  {
    std::lock_guard lock(FLock);
    if (reason.empty())
      reason = FStopReason;
  }
  Abandon();
  // What the system said when ffmpeg could not write the file (a full disk) says it all.
  const std::string writeError = WriteError(), last = LastLogLine();
  if (!writeError.empty())
    reason = "ffmpeg could not write it: " + writeError;
  else if (!last.empty())
    reason += " (\"" + last + "\")";
  throw EError("Cannot record the video " + Quoted(FFileName) + ": " + reason +
               (FTempName.isEmpty() ? "." : "; the unfinished video was removed."));
}

void TVideoRecorder::Abandon() {
  if (FContext != nullptr && FProcess != nullptr)
    OnWorker([&] {
      FClosing = true;
      if (FProcess->state() != QProcess::NotRunning) {
        FProcess->kill();
        FProcess->waitForFinished();
      }
      TTemporaryFiles::RemoveProcess(FPid);
      KeepLog(FProcess->readAllStandardError());
    });
  StopThread();
  if (!FDone && !FTempName.isEmpty()) {
    const std::string temp = QFile::encodeName(FTempName).toStdString();
    ::unlink(temp.c_str());
    TTemporaryFiles::Remove(temp);
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
  std::string line = FLog.substr(begin == std::string::npos ? 0 : begin + 1,
                                 end + 1 - (begin == std::string::npos ? 0 : begin + 1));
  // ffmpeg names the file it was given: the user knows it by the name asked for.
  const std::string temp = QFile::encodeName(FTempName).toStdString();
  for (size_t at; !temp.empty() && (at = line.find(temp)) != std::string::npos;)
    line.replace(at, temp.size(), FFileName);
  return line;
}

std::string TVideoRecorder::WriteError() const {
  // "av_interleaved_write_frame(): No space left on device", "Error writing trailer of
  // run.mp4: No space left on device": the system's reason ends the line.
  std::lock_guard lock(FLock);
  for (const char* mark :
       {"av_interleaved_write_frame(): ", "Error writing trailer of ", "Error closing file "}) {
    const size_t at = FLog.find(mark);
    if (at == std::string::npos)
      continue;
    const size_t end = FLog.find_first_of("\r\n", at);
    const std::string line = FLog.substr(at, end == std::string::npos ? end : end - at);
    const size_t colon = line.rfind(": ");
    if (colon != std::string::npos && colon + 2 < line.size())
      return line.substr(colon + 2);
  }
  return {};
}
