#include "platform/Processes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/ChildReaper.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

// A copy of `program` under a name no other process has.
std::string CopyNamed(const TempFolder& dir, const char* program, const std::string& name) {
  std::string path = dir / name;
  std::filesystem::copy_file(program, path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

TEST(Processes, EndsEveryProcessOfTheNameButNeverItselfAndStartsPrograms) {
  TempFolder dir;
  const std::string sleeper = CopyNamed(dir, "/bin/sleep", "OrbKillMe");
  platform::ProcessHandle a = platform::StartProgram({sleeper, {"30"}}),
                          b = platform::StartProgram({sleeper, {"30"}});
  // Wait until /proc shows them under their new name.
  for (int i = 0, seen = 0; i < 200 && seen != 2; ++i, ::usleep(5000)) {
    seen = 0;
    for (const auto& p : platform::ListProcesses()) seen += p.exeName == "OrbKillMe";
  }
  EXPECT_EQ(platform::EndProcessesNamed("ORBKILLME"), 2);
  EXPECT_EQ(std::make_pair(a.Wait(), b.Wait()), std::make_pair(128 + SIGKILL, 128 + SIGKILL));
  EXPECT_EQ(platform::EndProcessesNamed("OrbKill"), 0);  // no wildcards or prefixes

  // A copy of this test program ends every process of its own name, and survives.
  ::setenv("ORB_SELF_KILL_CHILD", "1", 1);
  platform::ProcessHandle child =
      platform::StartProgram({CopyNamed(dir, "/proc/self/exe", "OrbSelfKill"),
                              {"--gtest_filter=ProcessesChild.EndsItsOwnNameAndSurvives"}});
  ::unsetenv("ORB_SELF_KILL_CHILD");
  EXPECT_EQ(child.Wait(), 0);

  // Programs start with their arguments, folder and execute bit.
  const std::string script =
      dir.Put("tool.exe", "#!/bin/sh\npwd > out.txt\necho \"$1|$2\" >> out.txt\nexit 3\n");
  platform::StartRequest request{script, {"a b", "c"}, dir.path()};
  request.makeExecutable = true;
  EXPECT_EQ(platform::StartProgram(request).Wait(), 3);
  EXPECT_EQ(*platform::ReadFile(dir / "out.txt"), dir.path() + "\na b|c\n");
  EXPECT_FALSE(platform::StartProgram({dir / "missing"}).valid());
  EXPECT_EQ(platform::SplitParameters("  1.0 2.0  http://x/y 12 ABC "),
            (std::vector<std::string>{"1.0", "2.0", "http://x/y", "12", "ABC"}));
}

// Run only inside the copy started above.
TEST(ProcessesChild, EndsItsOwnNameAndSurvives) {
  if (!std::getenv("ORB_SELF_KILL_CHILD")) GTEST_SKIP() << "runs as a child only";
  EXPECT_EQ(platform::EndProcessesNamed("orbselfkill"), 0);
}

// True once `pid` is gone for good; a zombie still answers signal 0.
bool ReapedSoon(pid_t pid) {
  for (int pass = 0; pass < 4000; ++pass, ::usleep(5000))
    if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
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
  ASSERT_GT(longRunning, 0);  // never a signal to every process
  EXPECT_TRUE(ReapedSoon(Adopt("kill -9 $$")));
  EXPECT_EQ(::kill(longRunning, 0), 0);  // a running program is left alone
  ::kill(longRunning, SIGKILL);
  EXPECT_TRUE(ReapedSoon(longRunning));
}

}  // namespace
