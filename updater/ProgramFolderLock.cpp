#include "updater/ProgramFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Clock.h"

namespace updater {

ProgramFolderLock::ProgramFolderLock(const std::string& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

ProgramFolderLock::~ProgramFolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool ProgramFolderLock::TryLock() {
  if (fd_ < 0) return false;
  int result;
  do result = ::flock(fd_, LOCK_EX | LOCK_NB);
  while (result != 0 && errno == EINTR);
  return result == 0;
}

bool ProgramFolderLock::Lock(std::int64_t waitMs) {
  constexpr std::int64_t kPollMs = 50;
  const std::int64_t end = platform::TickCountMs() + waitMs;
  while (!TryLock()) {
    if (fd_ < 0 || platform::TickCountMs() >= end) return false;
    platform::SleepMs(kPollMs);
  }
  return true;
}

}  // namespace updater
