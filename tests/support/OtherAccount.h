#pragma once
// Runs part of a test as the unprivileged account "nobody", for what root is never refused
// (reading a file without permission, creating a file in a closed folder).
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

constexpr uid_t kNobody = 65534;

// True when `body`, run in a child process as nobody, returned true. Needs root.
inline bool AsNobody(const std::function<bool()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testing_support
