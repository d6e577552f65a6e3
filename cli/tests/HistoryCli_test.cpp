// history as a user runs it, over a database the procedures wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "history/UpdateHistory.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using nlohmann::json;

class HistoryCli : public ::testing::Test {
 protected:
  testing_support::ShellResult Cli(const std::string& args) {
    return clitest::RunCli(root.path(), args);
  }
  std::string Stderr() { return clitest::CliStderr(root.path()); }

  testing_support::TempFolder root;
};

TEST_F(HistoryCli, NewestFirstFilteredAndLimited) {
  for (const char* bad : {"--limit", "--limit x", "--limit -1", "--serial", "--all"})
    EXPECT_EQ(Cli(std::string("history ") + bad).code, 2) << bad;
  auto run = Cli("history");
  ASSERT_EQ(run.code, 0) << Stderr();
  EXPECT_EQ(json::parse(run.out), json::array());
  EXPECT_FALSE(platform::FileExists(root / "History.db")) << "asking creates nothing";

  history::UpdateHistory store(root / "History.db");
  ASSERT_TRUE(store.Add({"2026-12-07T10:00:00+01:00", "K9ABC00258", 0x0301, history::kVciFirmware,
                         "VCI", "1.0.0.0", "2.0.0.0", true, "Update Completed"}));
  ASSERT_TRUE(store.Add({"2026-12-07T10:05:00+01:00", "", std::nullopt, history::kAppInstall,
                         "Scope", "", "", false, "The file check failed, please try again ！"}));
  ASSERT_TRUE(store.Add({"2026-12-07T10:09:00+01:00", "K9ABC00258", 0x0401, history::kDoIPSystem,
                         "DoIP", "1.0", "1.0", false, "Checksum firmware failed！"}));
  run = Cli("history");
  ASSERT_EQ(run.code, 0) << Stderr();
  const json all = json::parse(run.out);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1], json({{"time", "2026-12-07T10:05:00+01:00"},
                          {"serial", nullptr},
                          {"pid", nullptr},
                          {"what", "app-install"},
                          {"subject", "Scope"},
                          {"versionBefore", ""},
                          {"versionAfter", ""},
                          {"ok", false},
                          {"reason", "The file check failed, please try again ！"}}));
  run = Cli("history --serial K9ABC00258 --limit 1");
  const json one = json::parse(run.out);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0]["what"], "doip-system");
  EXPECT_EQ(one[0]["pid"], 0x0401);
}

TEST_F(HistoryCli, ATruncatedDatabaseIsSetAsideAndANewOneStarted) {
  {
    history::UpdateHistory store(root / "History.db");
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(store.Add({"", "K9ABC00258", 1, "unlock"}));
  }
  std::filesystem::resize_file(root / "History.db", 3000);
  const auto run = Cli("history");
  ASSERT_EQ(run.code, 0) << Stderr();
  EXPECT_EQ(json::parse(run.out), json::array());
  const std::string log = platform::ReadFile(root / "orbmanager-cli.log").value_or("");
  EXPECT_NE(log.find("The damaged update history was moved to " + root / "History.db.damaged-"),
            std::string::npos)
      << log;
}

}  // namespace
