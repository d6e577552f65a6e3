#include "platform/Environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "platform/Files.h"
#include "tests/support/EnvGuard.h"
#include "tests/support/TempFolder.h"

namespace {

using testing_support::EnvGuard;

TEST(Environment, ExpandsNamesWithoutCaseAndFallsBackOnLinux) {
  // Restored afterwards: later tests of this program need a real scratch folder.
  EnvGuard value("ORB_TEST_VALUE", "/data"), config("XDG_CONFIG_HOME", "/cfg"),
      scratch("TMPDIR", "/scratch"), home("HOME", "/home/tech"), windir("windir", "");
  for (const char* name : {"SystemRoot", "windir", "temp", "TEMP"}) ::unsetenv(name);
  std::string expanded;
  for (const char* in : {"%orb_test_value%/x", "%SystemRoot%/KRY.ini", "%temp%/kry_openwrt.ini",
                         "100%", "a%NO_SUCH%%orb_test_value%b"})
    expanded += platform::ExpandEnvironment(in) + "|";
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(expanded + platform::ExpandEnvironment("%windir%"),
            "/data/x|/cfg/kry/KRY.ini|/scratch/kry_openwrt.ini|100%|a%NO_SUCH%/datab|"
            "/home/tech/.config/kry");
}

TEST(Environment, ScratchFolderIsPrivateUnlessOneIsGivenAndNeverFollowsLinks) {
  testing_support::TempFolder dir;
  EnvGuard tmpdir("TMPDIR", ""), runtime("XDG_RUNTIME_DIR", ""), cache("XDG_CACHE_HOME", ""),
      home("HOME", dir / "home");
  for (const char* name :
       {"TMPDIR", "temp", "TEMP", "tmp", "TMP", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"})
    ::unsetenv(name);
  // The variable set to the folder (ORB_NONE: none that counts), and where %temp% leads then.
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"TEMP", "/given", "/given"},
      {"XDG_RUNTIME_DIR", dir / "run", dir / "run/orbmanager"},
      {"XDG_CACHE_HOME", dir / "cache", dir / "cache/orbmanager"},
      {"ORB_NONE", "", dir / "home/.cache/orbmanager"}};
  for (const auto& [variable, value, expected] : cases) {
    ::setenv(variable, value.c_str(), 1);
    EXPECT_EQ(platform::ExpandEnvironment("%temp%/x"), expected + "/x");
    ::unsetenv(variable);
  }

  // A folder open to others, a link, or a file in its place is refused, and %temp% is
  // then left unexpanded rather than leading somewhere shared.
  const std::string planted = dir / "home/.cache/orbmanager";
  const std::function<void()> plants[] = {
      [&] { ::chmod(planted.c_str(), 0755); },
      [&] { ::rmdir(planted.c_str()), ::symlink(dir.path().c_str(), planted.c_str()); }};
  for (const auto& plant : plants) {
    plant();
    std::string reason;
    EXPECT_TRUE(!platform::ScratchFolder(&reason) && reason.find(planted) != std::string::npos);
    EXPECT_EQ(platform::ExpandEnvironment("%temp%/x"), "%temp%/x");
  }

  // Files in it are never reached through a link.
  const std::string victim = dir.Put("victim", "precious");
  const std::string name = dir / "kry_openwrt.ini";
  ::symlink(victim.c_str(), name.c_str());
  EXPECT_EQ(platform::ReadFileNoFollow(name), std::nullopt);
  ASSERT_TRUE(platform::ReplaceFileNoFollow(name, "[release]\n"));
  EXPECT_EQ(platform::ReadFileNoFollow(name).value_or("") + platform::ReadFile(victim).value_or(""),
            "[release]\nprecious");
  struct stat st {};
  EXPECT_TRUE(::lstat(name.c_str(), &st) == 0 && (st.st_mode & 07777) == 0600u);
}

}  // namespace
