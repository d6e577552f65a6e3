#include "platform/ChildReaper.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

// True once `pid` is gone for good; a zombie still answers signal 0.
bool ReapedSoon(pid_t pid) {
  for (int pass = 0; pass < 4000; ++pass) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
    ::usleep(5000);
  }
  return false;
}

pid_t Adopt(const std::string& script) {
  platform::ProcessHandle process = platform::StartProgram({"/bin/sh", {"-c", script}});
  const pid_t pid = process.pid();
  platform::ChildReaper::Instance().Adopt(std::move(process));
  return pid;
}

// A program still running must not hold up the reaping of those that end after it started.
TEST(ChildReaper, ReapsEachProgramWhenItEndsWhateverTheOthersDo) {
  const pid_t longRunning = Adopt("exec sleep 60");
  ASSERT_GT(longRunning, 0);
  for (const char* script : {"exit 0", "exit 3", "kill -9 $$"}) {
    const pid_t quick = Adopt(script);
    ASSERT_GT(quick, 0);
    EXPECT_TRUE(ReapedSoon(quick)) << script;
  }
  EXPECT_EQ(::kill(longRunning, 0), 0) << "a running program is left alone";
  ::kill(longRunning, SIGKILL);
  EXPECT_TRUE(ReapedSoon(longRunning));
}

}  // namespace
