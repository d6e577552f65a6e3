// history as a user runs it, over a database the procedures wrote.
#include <gtest/gtest.h>

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

TEST_F(HistoryCli, FiltersByAdapterAndLimits) {
  for (const char* bad : {"--limit", "--limit x", "--limit -1", "--serial", "--all"})
    EXPECT_EQ(Cli(std::string("history ") + bad).code, 2) << bad;
  auto run = Cli("history");
  ASSERT_EQ(run.code, 0) << Stderr();
  EXPECT_EQ(json::parse(run.out), json::array());
  EXPECT_FALSE(platform::FileExists(root / "History.db")) << "asking creates nothing";

  history::UpdateHistory store(root / "History.db");
  for (const char* serial : {"K9ABC00258", "K9ABC00258", "", "K9ABC00999"})
    ASSERT_TRUE(store.Add({"2026-12-07T10:00:00+01:00", serial, 1, history::kUnlock, "", "1.0"}));
  run = Cli("history --serial K9ABC00258 --limit 1");
  ASSERT_EQ(run.code, 0) << Stderr();
  EXPECT_EQ(json::parse(run.out), json::parse(R"([{"time": "2026-12-07T10:00:00+01:00",
      "serial": "K9ABC00258", "pid": 1, "what": "unlock", "subject": "", "versionBefore": "1.0",
      "versionAfter": "", "ok": false, "reason": ""}])"));
  EXPECT_EQ(json::parse(Cli("history").out).size(), 4u);
}

}  // namespace
