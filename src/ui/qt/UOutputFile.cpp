#include "ui/qt/UOutputFile.h"

#include <QFile>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/UErrors.h"
#include "ui/qt/UTemporaryFiles.h"

namespace {

// The system's reason for an errno, thread-safe, without the trailing period of some libcs.
std::string SystemReason(int Errno) {
  return std::system_category().message(Errno);
}

// Unique among the program's own temporary files; O_EXCL settles a clash with anyone else's.
std::string TemporaryName(const std::string& Target, int Attempt) {
  static std::atomic<uint64_t> counter{0};
  const std::filesystem::path target(Target);
  const std::filesystem::path folder = target.parent_path();
  const std::string name = "." + target.filename().string() + ".kartsim-" +
                           std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" +
                           std::to_string(Attempt);
  return (folder.empty() ? std::filesystem::path(name) : folder / name).string();
}

} // namespace

TOutputFile::TOutputFile(std::string NativeName, std::string Kind, unsigned Flags)
    : FName(std::move(NativeName)), FKind(std::move(Kind)) {
  if (FName.empty())
    Fail("the name is empty");
  if ((Flags & ofDashIsStdout) != 0 && FName == "-") {
    FFd = STDOUT_FILENO;
    FOwnsFd = false;
    return;
  }
  struct stat st {};
  if (::stat(FName.c_str(), &st) != 0) {
    const int error = errno;
    if (error != ENOENT)
      Fail(error);
    struct stat link {};
    if (::lstat(FName.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      // A link to nothing yet: what it points to is created.
      FFd = ::open(FName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      if (FFd < 0)
        Fail(errno);
      return;
    }
    OpenTemporary(FName, -1);
    return;
  }
  if (S_ISREG(st.st_mode)) {
    // Through a link, the file it points to is replaced and the link stays.
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(FName, ec);
    OpenTemporary(ec ? FName : target.string(), static_cast<int>(st.st_mode & 07777));
    return;
  }
  if (S_ISDIR(st.st_mode))
    Fail("it is a folder");
  if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode))
    Fail("it is neither a regular file, a FIFO nor a character device");
  const bool noWait = S_ISFIFO(st.st_mode) && (Flags & ofNoWaitForReader) != 0;
  FFd = ::open(FName.c_str(), O_WRONLY | O_CLOEXEC | (noWait ? O_NONBLOCK : 0));
  if (FFd < 0) {
    const int error = errno;
    if (noWait && error == ENXIO)
      Fail("it is a FIFO that no program reads");
    Fail(error);
  }
  if (noWait) // only the opening must not wait; writing waits for the reader as a pipe does
    ::fcntl(FFd, F_SETFL, ::fcntl(FFd, F_GETFL) & ~O_NONBLOCK);
}

TOutputFile::~TOutputFile() {
  if (FFd >= 0 && FOwnsFd)
    ::close(FFd);
  if (!FTemporary.empty()) {
    ::unlink(FTemporary.c_str());
    TTemporaryFiles::Remove(FTemporary);
  }
}

std::string TOutputFile::NativeName(const QString& Name) {
  return QFile::encodeName(Name).toStdString();
}

std::string TOutputFile::LinkTarget(const std::string& Name) {
  std::filesystem::path path(Name);
  // As many links as the system itself follows before it gives up (ELOOP).
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
      break;
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec)
      break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path.string();
}

void TOutputFile::OpenTemporary(const std::string& Target, int Mode) {
  for (int attempt = 0; FFd < 0; ++attempt) {
    std::string name = TemporaryName(Target, attempt);
    // A new file gets the usual permissions less the umask; a replaced one keeps its own.
    FFd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd >= 0) {
      FTemporary = std::move(name);
      TTemporaryFiles::Add(FTemporary);
    } else if (errno != EEXIST || attempt >= 100) {
      Fail(errno);
    }
  }
  FTarget = Target;
  if (Mode >= 0 && ::fchmod(FFd, static_cast<mode_t>(Mode)) != 0) {
    // Raised from the constructor: the destructor will not clean up after it.
    const int error = errno;
    ::close(FFd);
    FFd = -1;
    ::unlink(FTemporary.c_str());
    TTemporaryFiles::Remove(FTemporary);
    FTemporary.clear();
    Fail(error);
  }
}

void TOutputFile::Write(const char* Data, size_t Size) {
  if (FFd < 0)
    Fail(EBADF);
  while (Size > 0) {
    const ssize_t written = ::write(FFd, Data, Size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      Fail(errno);
    }
    Data += written;
    Size -= static_cast<size_t>(written);
  }
}

void TOutputFile::Commit() {
  if (FFd < 0)
    Fail(EBADF);
  const int fd = FFd;
  FFd = -1;
  if (!FOwnsFd)
    return;
  // Some file systems report a full disk only when the file is closed.
  if (::close(fd) != 0)
    Fail(errno);
  if (FTemporary.empty())
    return;
  if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0)
    Fail(errno);
  TTemporaryFiles::Remove(FTemporary);
  FTemporary.clear();
}

void TOutputFile::Fail(int Errno) const {
  Fail(SystemReason(Errno));
}

void TOutputFile::Fail(const std::string& Why) const {
  throw EError("Cannot write " + FKind + " \"" + FName + "\": " + Why + ".");
}
