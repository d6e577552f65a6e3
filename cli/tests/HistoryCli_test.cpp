// history as a user runs it, over a database the procedures wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "cli/tests/CliRun.h"
#include "codec/MD5.h"
#include "history/UpdateHistory.h"
#include "platform/Files.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/RecordingInstaller.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using nlohmann::json;

// "what subject before>after ok|failed: reason" of one printed record.
std::string Brief(const json& r) {
  return r["what"].get<std::string>() + " " + r["subject"].get<std::string>() + " " +
         r["versionBefore"].get<std::string>() + ">" + r["versionAfter"].get<std::string>() + " " +
         (r["ok"].get<bool>() ? "ok: " : "failed: ") + r["reason"].get<std::string>();
}

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

// Each application run leaves its record, with the versions it found and left and, for a
// failure, what the user was shown.
TEST_F(HistoryCli, ApplicationRunsAreRecorded) {
  testing_support::ServedFolder web{testing_support::VciSim::UniqueAddress()};
  ASSERT_TRUE(web.started());
  const std::string installer = testing_support::RecordingInstaller("3.0");
  web.Put("apps/5/install.exe", installer);
  root.Put("Language/EN.xml", "<lang/>");
  root.Put("Config/KavoraC.ini", "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nOfflineMode=0\n");
  const auto catalogue = [&](const std::string& version, const std::string& md5) {
    root.Put("Download/APPS.xml", "<APPS><APP><ITEM><ID>5</ID><NAME>Scope</NAME><VERSION>" +
                                      version + "</VERSION><SIZE>" +
                                      std::to_string(installer.size()) + "</SIZE><MD5>" + md5 +
                                      "</MD5><DOWNLOADURL>" + web.Url("/apps/5/install.exe") +
                                      "</DOWNLOADURL></ITEM></APP></APPS>");
  };
  const auto app = [&](const std::string& args) {
    return clitest::RunCli(root.path(), "app " + args,
                           "XDG_CONFIG_HOME='" + root.path() + "' KAVORA_TIME_SCALE=0.001");
  };
  catalogue("3.0", codec::MD5Text(installer));
  for (const char* run : {"install 5", "remove 5", "install 5"})
    ASSERT_EQ(app(run).code, 0) << run << Stderr();
  catalogue("3.1", std::string(32, '0'));  // the server's installer is not the one described
  EXPECT_EQ(app("update 5").code, 1);

  const json runs = json::parse(Cli("history").out);
  ASSERT_EQ(runs.size(), 4u) << runs.dump();
  EXPECT_EQ(Brief(runs[3]), "app-install Scope >3.0 ok: ");
  EXPECT_EQ(Brief(runs[2]), "app-removal Scope 3.0> ok: ");
  EXPECT_EQ(Brief(runs[0]),
            "app-update Scope 3.0>3.0 failed: The file check failed, please try again ！");
  EXPECT_TRUE(runs[0]["serial"].is_null());
}

// The adapter's updates against the simulator, offline from the kept catalogue and images: a
// VCI update, a module update the module refuses, and a reset, all of one adapter.
TEST_F(HistoryCli, AdapterRunsAreRecorded) {
  for (const char* f : {"Config", "Language", "Download", "kry"}) platform::CreateFolders(root / f);
  root.Put("Language/EN.xml", "<lang/>");
  root.Put("Download/APPS.xml", "<APPS/>");
  ASSERT_TRUE(testing_support::WriteKeptFirmware(root / "Download", true));
  root.Put("Config/KavoraC.ini",
           "[CONFIG]\nLANGUAGE=1\nOfflineMode=1\nKRYFwUp=kry-fwup\n"
           "KRYFwUpCheckSum=" +
               testing_support::WriteModuleTool(root / "kry-fwup") + "\n");
  const struct {
    std::vector<std::string> sim;
    const char* command;
  } runs[] = {
      {{"--firmware-write-ms", "3000"}, "firmware --no-doip --yes"},
      {{"--upgrade-ms", "2000", "--upgrade-refused"}, "firmware --no-vci --yes"},
      {{}, "reset --yes"},
  };
  for (const auto& r : runs) {
    std::vector<std::string> args = {"--profile", ORB_SOURCE_DIR "/sim/profiles/wifi-module.ini"};
    args.insert(args.end(), r.sim.begin(), r.sim.end());
    testing_support::VciSim sim(args);
    ASSERT_TRUE(sim.ok()) << sim.output();
    sim.WriteKryIni(root / "kry/KRY.ini");
    // The module's commands answer within a scaled second: not too short for a loaded machine.
    clitest::RunCli(root.path(), r.command,
                    "XDG_CONFIG_HOME='" + root.path() + "' KAVORA_TIME_SCALE=0.05");
  }
  const json history = json::parse(Cli("history --serial K9ABC00258").out);
  ASSERT_EQ(history.size(), 3u) << history.dump(1);
  EXPECT_EQ(Brief(history[2]), "vci-firmware VCI firmware 1.2.3.4>2.0.0.0 ok: Update Completed");
  EXPECT_EQ(history[2]["pid"], 0x0301);
  EXPECT_EQ(Brief(history[1]),
            "doip-system DoIP system V1.0.3>V1.0.3 failed: The module refused the upgrade: "
            "Command failed: Permission denied");
  EXPECT_EQ(history[1]["pid"], 0x0401);
  EXPECT_EQ(Brief(history[0]), "device-reset  > ok: ");
  // Local time with the offset in ISO 8601's extended form.
  EXPECT_TRUE(std::regex_match(history[0]["time"].get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")));
}

}  // namespace
