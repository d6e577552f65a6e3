#include "platform/Processes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Library.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::TempFolder;

// A copy of /bin/sleep under a name no other process has.
std::string SleeperNamed(const TempFolder& dir, const std::string& name) {
  const std::string path = dir / name;
  std::filesystem::copy_file("/bin/sleep", path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

TEST(Processes, EndsEveryProcessOfTheNameWithoutCaseButNeverItself) {
  TempFolder dir;
  const std::string sleeper = SleeperNamed(dir, "OrbKillMe");
  platform::ProcessHandle a = platform::StartProgram({sleeper, {"30"}});
  platform::ProcessHandle b = platform::StartProgram({sleeper, {"30"}});
  platform::ProcessHandle other = platform::StartProgram({"/bin/sleep", {"30"}});
  ASSERT_TRUE(a.valid() && b.valid() && other.valid());
  // Wait until /proc shows them under their new name.
  for (int i = 0; i < 200; ++i) {
    int seen = 0;
    for (const auto& p : platform::ListProcesses()) seen += p.exeName == "OrbKillMe";
    if (seen == 2) break;
    ::usleep(5000);
  }
  EXPECT_EQ(platform::EndProcessesNamed("ORBKILLME"), 2);
  EXPECT_EQ(a.Wait(), 128 + SIGKILL);
  EXPECT_EQ(b.Wait(), 128 + SIGKILL);
  EXPECT_EQ(platform::EndProcessesNamed("OrbKill"), 0);  // no wildcards or prefixes
  ::kill(other.pid(), SIGKILL);
  other.Wait();
}

// Run only inside the copy started below: ends every process of its own name.
TEST(ProcessesChild, EndsItsOwnNameAndSurvives) {
  if (!std::getenv("ORB_SELF_KILL_CHILD")) GTEST_SKIP() << "runs as a child only";
  EXPECT_EQ(platform::EndProcessesNamed("orbselfkill"), 0);
}

TEST(Processes, NeverEndsTheCallingProcess) {
  TempFolder dir;
  // A copy of this test program under a unique name, so no other process shares it.
  const std::string copy = dir / "OrbSelfKill";
  std::filesystem::copy_file("/proc/self/exe", copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  ::setenv("ORB_SELF_KILL_CHILD", "1", 1);
  platform::ProcessHandle child =
      platform::StartProgram({copy, {"--gtest_filter=ProcessesChild.EndsItsOwnNameAndSurvives"}});
  ::unsetenv("ORB_SELF_KILL_CHILD");
  ASSERT_TRUE(child.valid());
  EXPECT_EQ(child.Wait(), 0);
}

TEST(Processes, StartsProgramsWithArgumentsFolderAndExecuteBit) {
  TempFolder dir;
  const std::string script = dir / "tool.exe";
  platform::WriteFile(script, "#!/bin/sh\npwd > out.txt\necho \"$1|$2\" >> out.txt\nexit 3\n");
  platform::StartRequest request{script, {"a b", "c"}, dir.path()};
  request.makeExecutable = true;
  platform::ProcessHandle h = platform::StartProgram(request);
  ASSERT_TRUE(h.valid());
  EXPECT_EQ(h.Wait(), 3);
  EXPECT_EQ(*platform::ReadFile(dir / "out.txt"), dir.path() + "\na b|c\n");
  EXPECT_FALSE(platform::StartProgram({dir / "missing"}).valid());
  EXPECT_EQ(platform::SplitParameters("  1.0 2.0  http://x/y 12 ABC "),
            (std::vector<std::string>{"1.0", "2.0", "http://x/y", "12", "ABC"}));
  EXPECT_EQ(platform::ResolveProgram("tool.exe", dir.path()), script);
  EXPECT_EQ(platform::FileNameOf(platform::ResolveProgram("sh.exe")), "sh");
  EXPECT_EQ(platform::ResolveProgram("no-such-tool.exe"), "");
}

TEST(Processes, ShellOpenHandsAddressesToTheOpener) {
  TempFolder dir;
  const std::string opener = dir / "opener";
  platform::WriteFile(opener, "#!/bin/sh\necho \"$1\" > " + (dir / "opened") + "\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  ::setenv("ORB_OPEN_COMMAND", opener.c_str(), 1);
  ASSERT_TRUE(platform::ShellOpen("https://example.invalid/page"));
  // The opener may have created the file without having written it yet.
  for (int i = 0; i < 1000; ++i) {
    const auto text = platform::ReadFile(dir / "opened");
    if (text && !text->empty() && text->back() == '\n') break;
    ::usleep(5000);
  }
  ::unsetenv("ORB_OPEN_COMMAND");
  EXPECT_EQ(*platform::ReadFile(dir / "opened"), "https://example.invalid/page\n");
  EXPECT_FALSE(platform::ShellOpen(""));
}

TEST(Library, MapsWindowsNamesAndOrdinals) {
  EXPECT_EQ(platform::LinuxLibraryName("KRY.dll"), "libKRY.so");
  EXPECT_EQ(platform::LinuxLibraryName("FTD2XX.DLL"), "libFTD2XX.so");
  EXPECT_EQ(platform::LinuxLibraryName("libm.so.6"), "libm.so.6");
  EXPECT_EQ(platform::OrdinalSymbolName(39), "KRY_Ordinal_39");
  platform::Library lib;
  ASSERT_TRUE(lib.Load("libm.so.6"));
  EXPECT_NE(lib.Resolve("cos"), nullptr);
  EXPECT_EQ(lib.Resolve("no_such_symbol"), nullptr);
  EXPECT_EQ(lib.Resolve(1), nullptr);
  platform::Library missing;
  EXPECT_FALSE(missing.Load("NoSuchLibrary.dll"));
  EXPECT_FALSE(missing.error().empty());
}

}  // namespace
