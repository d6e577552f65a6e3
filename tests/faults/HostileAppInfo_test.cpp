// An application's AppInfo.ini is written by its installer and may name any program. Its
// Target is started as configured, anywhere on the computer, but never as a shell line:
// separators, substitutions and quotes in Target or Param are not interpreted.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "apps/ZKRYApp.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "tests/support/TempFolder.h"

namespace {

class HostileAppInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    // A program outside the install folder that records its arguments, one a line.
    platform::WriteFile(elsewhere, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" +
                                       (root / "args") + ".tmp' && mv '" + (root / "args") +
                                       ".tmp' '" + (root / "args") + "'\n");
    ::chmod(elsewhere.c_str(), 0755);
    app.ID = 5;
    app.installFolder = root / "Apps";
    platform::CreateFolders(app.installFolder);
  }
  // Reads AppInfo.ini as the catalogue does and starts its Target as configured.
  bool Start(const std::string& target, const std::string& param) {
    app.installFolder = root / "Apps";
    app.ReadAppInfo(true);
    platform::WriteFile(app.appInfoPath(), "[AppInfo]\nVersion=1\nInstalled=1\nTarget=" + target +
                                               "\nParam=" + param + "\nWorkDir=" + root.path() +
                                               "\n");
    app.ReadAppInfo(false);
    return platform::ShellOpen(app.appInfo.Target, app.appInfo.Param, app.appInfo.WorkDir);
  }
  std::string Arguments() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!platform::FileExists(root / "args") && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return platform::ReadFile(root / "args").value_or("(not started)");
  }

  testing_support::TempFolder root;
  testing_support::TempFolder other;
  const std::string elsewhere = other / "tool";
  const std::string marker = root / "PWNED";
  apps::ZKRYApp app;
};

TEST_F(HostileAppInfo, AShellLineAsTargetStartsNothing) {
  for (const std::string& target : {"/bin/true; touch " + marker, "$(touch " + marker + ")"})
    EXPECT_FALSE(Start(target, "") || app.startable()) << target;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(platform::FileExists(marker));
}

TEST_F(HostileAppInfo, ATargetOutsideTheInstallFolderGetsItsParametersLiterally) {
  // A Target outside the install folder is started as configured.
  ASSERT_TRUE(Start(elsewhere, "$(touch " + marker + ") `id` ;&&|") && app.startable());
  EXPECT_EQ(Arguments(), "$(touch\n" + marker + ")\n`id`\n;&&|\n");
  EXPECT_FALSE(platform::FileExists(marker));
}

}  // namespace
