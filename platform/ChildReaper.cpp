#include "platform/ChildReaper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

ChildReaper& ChildReaper::Instance() {
  static auto* const reaper = new ChildReaper;
  return *reaper;
}

ChildReaper::ChildReaper() : wake_(::eventfd(0, EFD_CLOEXEC)), thread_([this] { Loop(); }) {}

void ChildReaper::Adopt(ProcessHandle process) {
  if (!process.valid()) return;
  const pid_t pid = process.pid();
  // By the system call: Debian 12's <sys/pidfd.h> declares its wrapper without C linkage.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    arriving_.push_back({pid, pidfd});
  }
  if (wake_ < 0) return;  // the thread then looks once a second
  const std::uint64_t one = 1;
  // Only a counter at its limit refuses the write, and then the thread is awake anyway.
  const ssize_t written = ::write(wake_, &one, sizeof one);
  (void)written;
}

void ChildReaper::Loop() {
  std::vector<Child> children;
  std::vector<pollfd> watched;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      children.insert(children.end(), arriving_.begin(), arriving_.end());
      arriving_.clear();
    }
    // A child that has ended is reaped here, whether its pidfd said so or not.
    std::vector<Child> running;
    bool unwatched = wake_ < 0;
    for (const Child& child : children) {
      if (::waitpid(child.pid, nullptr, WNOHANG) != 0) {
        if (child.pidfd >= 0) ::close(child.pidfd);
        continue;
      }
      running.push_back(child);
      unwatched = unwatched || child.pidfd < 0;
    }
    children.swap(running);
    watched.assign(1, pollfd{wake_, POLLIN, 0});
    for (const Child& child : children) watched.push_back({child.pidfd, POLLIN, 0});
    // A real second, not the program clock's: this thread outlives whoever sets that clock
    // (a test's clock is gone when the test ends), and the look is no pause of the program.
    const int timeoutMs = unwatched ? 1000 : -1;
    if (::poll(watched.data(), watched.size(), timeoutMs) > 0 && (watched[0].revents & POLLIN)) {
      std::uint64_t count = 0;
      const ssize_t read = ::read(wake_, &count, sizeof count);  // clears the announcement
      (void)read;
    }
  }
}

}  // namespace platform
