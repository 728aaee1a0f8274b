#pragma once

#include <string>
#include <sys/types.h>

// The files the program writes under a temporary name until they are complete, and the helper
// processes writing them (ffmpeg), known to the signal handlers: a run ended by SIGINT, SIGTERM,
// SIGHUP or SIGPIPE removes its temporary files and stops its helpers, then ends by the signal
// as it would have. Without the handlers installed the list is kept all the same, at little
// cost.
//
// The handlers read the list without a lock, as a signal handler must: it lives in slots of
// fixed size, each published whole once written. A name longer than a slot holds, or one more
// than the slots hold, is simply not removed by a signal (the program's own cleanup still does).
class TTemporaryFiles {
public:
  static void Add(const std::string& Name);
  static void Remove(const std::string& Name);
  static void AddProcess(pid_t Process);
  static void RemoveProcess(pid_t Process);
  // Installs the handlers of SIGINT, SIGTERM, SIGHUP and SIGPIPE. A signal the program ignores
  // stays ignored: the window reports a broken pipe as an error, and a run started under nohup
  // goes on when the terminal closes.
  // The toolkit ignores SIGPIPE for good once it writes to a process (ffmpeg): from then on a
  // broken pipe is an error of the write, which ends the run and removes the files all the same.
  static void InstallSignalHandlers();
};
