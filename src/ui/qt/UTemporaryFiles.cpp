#include "ui/qt/UTemporaryFiles.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A run writes a handful of files at once (two CSV files, a scene, a video, a frame).
constexpr size_t Slots = 32;
constexpr size_t NameBytes = 4096;

enum TSlotState : int { ssFree, ssWriting, ssReady };

struct TNameSlot {
  std::atomic<int> State{ssFree};
  char Name[NameBytes];
};

std::array<TNameSlot, Slots> Names;
// Between the threads that add and remove names; the handlers never wait for it.
std::mutex NamesLock;
std::array<std::atomic<pid_t>, 8> Processes{};

void Cleanup(int Signal) {
  // Whatever the program was doing when the signal came still finds its errno as it left it.
  const int savedErrno = errno;
  // Only what a signal handler may call: kill, waitpid, unlink, sigaction, raise.
  for (std::atomic<pid_t>& process : Processes) {
    const pid_t pid = process.load();
    if (pid > 0)
      ::kill(pid, SIGKILL);
  }
  // Gone before their files are: a helper still opening its output would make it anew. One the
  // toolkit reaped already answers at once.
  for (std::atomic<pid_t>& process : Processes) {
    const pid_t pid = process.load();
    if (pid > 0)
      ::waitpid(pid, nullptr, 0);
  }
  for (TNameSlot& slot : Names)
    if (slot.State.load() == ssReady)
      ::unlink(slot.Name);
  // The default again (as SA_RESETHAND did already, where nothing stands between): the program
  // ends by the signal, as it would have without the handler.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(Signal, &fallback, nullptr);
  errno = savedErrno;
  ::raise(Signal);
}

} // namespace

void TTemporaryFiles::Add(const std::string& Name) {
  if (Name.empty() || Name.size() >= NameBytes)
    return;
  const std::lock_guard lock(NamesLock);
  for (TNameSlot& slot : Names) {
    int free = ssFree;
    if (!slot.State.compare_exchange_strong(free, ssWriting))
      continue;
    std::memcpy(slot.Name, Name.c_str(), Name.size() + 1);
    slot.State.store(ssReady);
    return;
  }
}

void TTemporaryFiles::Remove(const std::string& Name) {
  const std::lock_guard lock(NamesLock);
  for (TNameSlot& slot : Names) {
    int ready = ssReady;
    if (slot.State.load() != ssReady || Name != slot.Name)
      continue;
    if (slot.State.compare_exchange_strong(ready, ssFree))
      return;
  }
}

void TTemporaryFiles::AddProcess(pid_t Process) {
  if (Process <= 0)
    return;
  for (std::atomic<pid_t>& slot : Processes) {
    pid_t none = 0;
    if (slot.compare_exchange_strong(none, Process))
      return;
  }
}

void TTemporaryFiles::RemoveProcess(pid_t Process) {
  if (Process <= 0)
    return;
  for (std::atomic<pid_t>& slot : Processes) {
    pid_t expected = Process;
    if (slot.compare_exchange_strong(expected, 0))
      return;
  }
}

void TTemporaryFiles::InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = Cleanup;
  sigemptyset(&action.sa_mask);
  // Reset on entry, and not blocked while it runs, so that raising it again ends the program.
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    struct sigaction old {};
    ::sigaction(signal, nullptr, &old);
    // A signal ignored from the start (a run started with nohup, or in the background of a
    // shell without job control) stays ignored, as is the custom.
    if (old.sa_handler != SIG_IGN)
      ::sigaction(signal, &action, nullptr);
  }
}
