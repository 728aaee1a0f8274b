#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

class QObject;
class QProcess;
class QThread;

// Records pictures as a video through ffmpeg, started as a process of its own that reads the raw
// RGB frames from a pipe: H.264 in MP4 (yuv420p, the moov atom at the front) for ".mp4" names,
// an animated GIF for ".gif" names. Odd picture sizes are padded by one pixel, as H.264 in 4:2:0
// needs even ones.
//
// The encoder must never hold up the simulation for long: the frames are handed to a thread of
// the recorder's own, whose event loop keeps ffmpeg's pipe fed through the QProcess's buffer, and
// AddFrame waits only when more than a few frames are still unwritten (ffmpeg slower than the
// steps).
//
// A video for a regular file, or a new name, is written under a temporary name beside it and
// takes that name only when ffmpeg has ended well. An MP4 that ffmpeg did not finish has no index
// and does not play, so a failed recording removes what it wrote: a file under the asked name is
// always complete. A symbolic link is followed to what it points to, which is written so, and the
// link stays. A FIFO or a character device is written straight into, never replaced; an MP4 needs
// a file that ffmpeg can go back into, so only a GIF goes into a FIFO or a device that cannot seek.
// ffmpeg ends well even when it could not write the end of the file (a full disk): its errors say
// so, and the recording fails with the system's reason.
class TVideoRecorder {
public:
  // Opens a recording of frames of the given size, at FramesPerSecond of video time. Raises EError
  // when ffmpeg is not found (MissingFfmpegMessage), the name ends neither in .mp4 nor in .gif, it
  // names a folder or an MP4 that cannot be written there, the folder cannot be written, or ffmpeg
  // or its thread does not start.
  TVideoRecorder(const std::string& FileName, int32_t Width, int32_t Height,
                 double FramesPerSecond);
  // A recording not finished is abandoned: ffmpeg is stopped and the partial file removed.
  ~TVideoRecorder();
  TVideoRecorder(const TVideoRecorder&) = delete;
  TVideoRecorder& operator=(const TVideoRecorder&) = delete;

  // The path of ffmpeg found on the PATH, or an empty string.
  static QString FindFfmpeg();
  // What to tell the user when FindFfmpeg finds nothing: one line naming the package.
  static std::string MissingFfmpegMessage();
  // Whether the name is one the recorder can write (.mp4 or .gif, in any case).
  static bool IsVideoName(const std::string& FileName);
  // One frame per sub-step of simulated time: 10 frames per second at sub-steps of 100 ms.
  static double FramesPerSecond(int32_t SubStepMs);

  // Appends a frame of the recording's size. Raises EError when ffmpeg has failed or stopped, or
  // the frame has another size.
  void AddFrame(const QImage& Frame);
  // Ends the recording: ffmpeg writes the rest. Raises EError, after removing the partial file,
  // when ffmpeg did not end well or could not write the file. The file keeps its temporary name
  // until Finish, so that a run can end its other files first.
  void Close();
  // Close, then the file takes its name.
  void Finish();

  const std::string& FileName() const { return FFileName; }
  int64_t FrameCount() const { return FFrameCount; }

private:
  // Runs Work on the recorder's thread and waits for it.
  template <class F> void OnWorker(F Work);
  void StartProcess(const QString& Program, const QStringList& Arguments);
  // Where the video goes, and whether through a temporary file; raises for a place it cannot go.
  void ChooseTarget();
  // Why ffmpeg's exit is a failure; empty for a good end that was asked for.
  static std::string ExitReason(int Code, bool Crashed, bool Early);
  // The system's reason when ffmpeg said it could not write the file; empty when it did not.
  std::string WriteError() const;
  void KeepLog(const QByteArray& Text);
  // On the recorder's thread: ffmpeg ended or failed; nothing more can be written.
  void Stopped(const std::string& Why);
  // Abandons the recording and raises the error, with ffmpeg's last message; an empty Why takes
  // the reason ffmpeg stopped.
  [[noreturn]] void Fail(const std::string& Why);
  // Stops ffmpeg and the thread, and removes the partial file unless the video was finished.
  void Abandon();
  void StopThread();
  std::string LastLogLine() const;

  std::string FFileName;
  std::string FTarget;    // FFileName, or what the link of that name points to
  QString FTempName;      // empty until made, and when the target is written straight into
  bool FStraight = false; // a FIFO or a device, written straight into
  int FMode = -1;         // the permissions of the file replaced; -1 for a new one
  int32_t FWidth = 0, FHeight = 0;
  int64_t FFrameCount = 0;
  bool FDone = false;
  bool FClosed = false; // ffmpeg has ended well

  std::unique_ptr<QThread> FThread;
  QObject* FContext = nullptr;  // lives on FThread; owns FProcess
  QProcess* FProcess = nullptr; // used on FThread only
  pid_t FPid = 0;               // ffmpeg's, on FThread only: gone once it has ended
  bool FClosing = false;        // on FThread: ffmpeg's end from here on is asked for

  // Shared between the caller and the recorder's thread.
  mutable std::mutex FLock;
  std::condition_variable FChanged;
  int64_t FPendingBytes = 0; // handed to the thread and not yet written to the pipe
  std::string FStopReason;   // not empty once ffmpeg cannot take frames any more
  std::string FLog;          // the end of ffmpeg's messages
};
