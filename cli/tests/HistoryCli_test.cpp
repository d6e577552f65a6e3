// history as a user runs it, over a database the procedures wrote.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "history/UpdateHistory.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

using nlohmann::json;

TEST(HistoryCli, FiltersByAdapterAndLimits) {
  testing_support::TempFolder root;
  const auto cli = [&](const std::string& args) { return clitest::RunCli(root.path(), args); };
  for (const char* bad : {"--limit", "--limit x", "--limit -1", "--serial", "--all"})
    EXPECT_EQ(cli(std::string("history ") + bad).code, 2) << bad;
  auto run = cli("history");
  ASSERT_EQ(run.code, 0) << clitest::CliStderr(root.path());
  EXPECT_EQ(json::parse(run.out), json::array());
  EXPECT_FALSE(platform::FileExists(root / "History.db")) << "asking creates nothing";

  history::UpdateHistory store(root / "History.db");
  for (const char* serial : {"K9ABC00258", "K9ABC00258", "", "K9ABC00999"})
    ASSERT_TRUE(store.Add({"2026-12-07T10:00:00+01:00", serial, 1, history::kUnlock, "", "1.0"}));
  run = cli("history --serial K9ABC00258 --limit 1");
  ASSERT_EQ(run.code, 0) << clitest::CliStderr(root.path());
  EXPECT_EQ(json::parse(run.out), json::parse(R"([{"time": "2026-12-07T10:00:00+01:00",
      "serial": "K9ABC00258", "pid": 1, "what": "unlock", "subject": "", "versionBefore": "1.0",
      "versionAfter": "", "ok": false, "reason": ""}])"));
  EXPECT_EQ(json::parse(cli("history").out).size(), 4u);
}

}  // namespace
