#pragma once
// Collects the programs the program starts and then leaves running (the device page's tools,
// the opener of a web address): nobody waits for them, yet each must be reaped when it ends,
// or it stays behind as a zombie for the life of the program.
#include <sys/types.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/Processes.h"

namespace platform {

class ChildReaper {
 public:
  // The one reaper of the process, started at first use and never destroyed: its thread may
  // still be waiting for a tool when the program exits, and the exit ends it.
  static ChildReaper& Instance();

  // Reaps `process` in the background once it ends; the handle is given up.
  void Adopt(ProcessHandle process);

 private:
  struct Child {
    pid_t pid;
    int pidfd;  // -1 where the system gives none: then looked at once a second
  };

  ChildReaper();
  void Loop();

  std::mutex mutex_;
  std::vector<Child> arriving_;  // guarded by mutex_
  int wake_;                     // eventfd that announces an arrival
  std::thread thread_;           // one thread for every child, sleeping in poll()
};

}  // namespace platform
