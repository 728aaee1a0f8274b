#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <string>

// A file the program writes: a CSV file, a frame, an error report. A regular file (new or
// existing) is written under a temporary name beside it that takes its name only at Commit, so a
// failure half way leaves neither a cut-off file nor harm to the one it was to replace. Anything
// else is written straight into: a FIFO or a character device is never replaced by a regular file
// (as root, a rename over /dev/null would do just that), and a symbolic link keeps pointing where
// it did while what it points to is written. Folders, sockets and block devices are refused.
//
// Names are the bytes the system knows the file by, so that a name that is not UTF-8 is opened as
// given and never as a look-alike. Errors are EError with the system's own reason: "Cannot write
// <Kind> "<name>": No space left on device."
class TOutputFile {
public:
  enum TFlags : unsigned {
    ofNone = 0,
    ofDashIsStdout = 1,    // "-" is standard output, as command-line users expect
    ofNoWaitForReader = 2, // a FIFO nobody reads is refused instead of waited for (a window)
  };

  // Kind names the file in messages ("the CSV file", "the bitmap", ...).
  TOutputFile(std::string NativeName, std::string Kind, unsigned Flags = ofNone);
  ~TOutputFile();
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  // The bytes of a name that the toolkit holds as text.
  static std::string NativeName(const QString& Name);
  // What writing to the name reaches: the symbolic links of that name followed, to a file that
  // need not exist yet; the name itself when it is no link. The folders on the way stay as named.
  static std::string LinkTarget(const std::string& Name);

  void Write(const char* Data, size_t Size);
  void Write(const QByteArray& Bytes) {
    Write(Bytes.constData(), static_cast<size_t>(Bytes.size()));
  }
  // Everything is written: the file takes its name (when it was written under another).
  void Commit();
  // Whether the file is written under a temporary name until Commit.
  bool Replaces() const { return !FTemporary.empty(); }

private:
  [[noreturn]] void Fail(int Errno) const;
  [[noreturn]] void Fail(const std::string& Why) const;
  // Mode: the permissions of the file replaced, or -1 for a new one.
  void OpenTemporary(const std::string& Target, int Mode);

  std::string FName; // as given, for messages
  std::string FKind;
  std::string FTarget;    // what the temporary file becomes at Commit
  std::string FTemporary; // empty when written straight into
  int FFd = -1;
  bool FOwnsFd = true;
};
