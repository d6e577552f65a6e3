// An application's AppInfo.ini is written by its installer and may name any program. Its
// Target is started as configured, anywhere on the computer, but never as a shell line:
// separators, substitutions and quotes in Target or Param are not interpreted.
#include <gtest/gtest.h>

#include "apps/ZKRYApp.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "tests/support/ArgumentRecorder.h"

namespace {

TEST(HostileAppInfo, NeitherTargetNorParamIsAShellLine) {
  testing_support::TempFolder root, other;
  const testing_support::ArgumentRecorder elsewhere(other, "tool");  // outside the install folder
  const std::string marker = root / "PWNED";
  platform::CreateFolders(root / "Apps");
  apps::ZKRYApp app;
  app.ID = 5;
  // Reads AppInfo.ini as the catalogue does and starts its Target as configured.
  const auto start = [&](const std::string& target, const std::string& param) {
    app.installFolder = root / "Apps";
    app.ReadAppInfo(true);
    platform::WriteFile(app.appInfoPath(), "[AppInfo]\nVersion=1\nInstalled=1\nTarget=" + target +
                                               "\nParam=" + param + "\nWorkDir=" + root.path() +
                                               "\n");
    app.ReadAppInfo(false);
    return platform::ShellOpen(app.appInfo.Target, app.appInfo.Param, app.appInfo.WorkDir);
  };
  for (const std::string& target : {"/bin/true; touch " + marker, "$(touch " + marker + ")"})
    EXPECT_FALSE(start(target, "") || app.startable()) << target;
  ASSERT_TRUE(start(elsewhere.program, "$(touch " + marker + ") `id` ;&&|") && app.startable());
  EXPECT_EQ(elsewhere.Arguments(), "$(touch\n" + marker + ")\n`id`\n;&&|\n");
  EXPECT_FALSE(platform::FileExists(marker));  // by now a shell line would have run too
}

}  // namespace
