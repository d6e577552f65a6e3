// report, firmware, reset, unlock and test as a technician runs them, against the adapter
// simulator with the clock scaled, offline from the kept catalogue and images.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "core/ZCommSettings.h"
#include "device/AdapterLock.h"
#include "platform/Files.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/Md5sum.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using nlohmann::json;
using testing_support::VciSim;

const std::string kWifiModule = ORB_SOURCE_DIR "/sim/profiles/wifi-module.ini";

class ProcedureCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    root.Put("Language/EN.xml", "<lang/>");
    root.Put("Download/APPS.xml", "<APPS/>");
    platform::CreateFolders(root / "kry");
    ASSERT_TRUE(testing_support::WriteKeptFirmware(root / "Download", true));
    root.Put("Config/KavoraC.ini",
             "[CONFIG]\nLANGUAGE=1\nOfflineMode=1\nKRYFwUp=kry-fwup\n"
             "KRYFwUpCheckSum=" +
                 testing_support::WriteModuleTool(root / "kry-fwup") + "\n");
  }
  testing_support::ShellResult Cli(const VciSim& sim, const std::string& args) {
    sim.WriteKryIni(root / "kry/KRY.ini");
    return Cli(args);
  }
  testing_support::ShellResult Cli(const std::string& args) {
    return clitest::RunCli(root.path(), args, "XDG_CONFIG_HOME='" + root.path() + "'");
  }
  std::string Stderr() { return clitest::CliStderr(root.path()); }
  bool InStderr(const std::string& text) { return Stderr().find(text) != std::string::npos; }
  // The newest record of the history: "pid what subject before>after ok|failed: reason".
  std::string LastRecord() {
    const json r = json::parse(Cli("history --serial K9ABC00258 --limit 1").out).at(0);
    return std::to_string(r["pid"].get<int>()) + " " + clitest::RecordLine(r);
  }
  // The module's commands time out after a second, scaled: on a loaded machine 10 ms is
  // too short for the simulator to answer, so the runs that meet the module take longer.
  static void ModuleTime() { ::setenv("KAVORA_TIME_SCALE", "0.05", 1); }

  testing_support::TempFolder root;
};

TEST_F(ProcedureCli, ReportOfAnAdapterWithItsModule) {
  VciSim sim({"--profile", kWifiModule});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "report");
  ASSERT_EQ(run.code, 0) << Stderr();
  const json r = json::parse(run.out);
  // The rows themselves are the report's; here every one is printed with its kind.
  ASSERT_EQ(r["rows"].size(), 17u);
  EXPECT_EQ(r["rows"][2],
            json({{"kind", "value"}, {"label", "Serial Number"}, {"value", "K9ABC00258"}}));
  EXPECT_EQ(r["rows"][0]["kind"], "header");
  EXPECT_EQ(r["serialLabel"], json({{"text", "K9ABC00258"}, {"colour", "#FF00FF00"}}));
  EXPECT_EQ(r["voltageLabel"], json({{"text", " 12.34 V"}, {"colour", "#FF00FF00"}}));
  EXPECT_EQ(r["connectionPicture"], "conn_lan.png");
  EXPECT_EQ(r["toolTip"], "WiFi\r\n" + sim.address() + " : 6800");
  EXPECT_EQ(r["firmwareButtonText"], "Firmware +");
  EXPECT_EQ(r["doipPid"], 0x0401);
}

// Both parts in one run are the job's to prove; here the VCI alone, printed once.
TEST_F(ProcedureCli, FirmwareUpdatesTheVci) {
  VciSim sim({"--module", "--firmware-write-ms", "3000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "firmware --no-doip --yes");
  EXPECT_EQ(run.code, 0) << Stderr();
  const json rows = json::parse(run.out);
  EXPECT_EQ(rows["vci"]["currentVersion"], "1.2.3.4");
  EXPECT_EQ(rows["vci"]["newVersion"], "2.0.0.0");
  EXPECT_EQ(rows["system"]["currentVersion"], "V1.0.3");
  EXPECT_TRUE(InStderr("[progress] 100%"));
  const std::string err = Stderr();
  EXPECT_EQ(err.find("Update Completed"), err.rfind("Update Completed")) << "printed once";
  EXPECT_NE(err.find("[status] Update Completed"), std::string::npos);
  EXPECT_TRUE(sim.Recorded("firmware written: KRYVCI 2.0.0.0 2025-01-02"));
  EXPECT_FALSE(sim.WaitFor("put-file", 100)) << "the module was left alone";
  EXPECT_EQ(LastRecord(), "769 vci-firmware VCI firmware 1.2.3.4>2.0.0.0 ok: Update Completed");
}

// A newer program on the server does not take the adapter's work away: only start and
// update-check hand over to the updater.
TEST_F(ProcedureCli, FirmwareOnlineWithANewerProgramNeverStartsTheUpdater) {
  testing_support::ServedFolder web(VciSim::UniqueAddress());
  ASSERT_TRUE(web.started());
  std::string fws = *platform::ReadFile(root / "Download/fws.xml");
  fws.replace(fws.find("http://127.0.0.1:1/KRY.bin"), 26, web.Url("/KRY.bin"));
  web.Put("fws.xml", fws);
  web.Put("KRY.bin", *platform::ReadFile(root / "Download/KRY.bin"));
  platform::DeleteFile(root / "Download/KRY.bin");  // fetched from the server this time
  web.Put("update.ini", "[UPDATE]\nManagerVersion=9.9.9\nManagerURL=" + web.Url("/p.pkg") +
                            "\nMD5=ABCD\nSize=99\n");
  web.Put("APPS.xml", "<APPS/>");
  web.Put("sps.xml", "<SPS/>");
  const std::string started = root / "updater-started";
  const std::string recorder = root.Put("OrbUpdate", "#!/bin/sh\necho \"$@\" >'" + started + "'\n");
  ::chmod(recorder.c_str(), 0755);
  root.Put("Config/KavoraC.ini",
           "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nOfflineMode=0\nKRYFwUp=kry-fwup\n"
           "KRYFwUpCheckSum=" +
               testing_support::Md5sumOf(root / "kry-fwup") +
               "\nUpdateURL=" + web.Url("/update.ini") +
               "\nApplicationURL=" + web.Url("/APPS.xml") + "\nFirmwareURL=" + web.Url("/fws.xml") +
               "\nSPSListURL=" + web.Url("/sps.xml") + "\nAupdateUpdateProgram=" + recorder + "\n");
  VciSim sim({"--firmware-write-ms", "3000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "firmware --no-doip --yes");
  EXPECT_EQ(run.code, 0) << Stderr();
  EXPECT_TRUE(InStderr("Find new version: 9.9.9, Update now? [Cancel]")) << Stderr();
  EXPECT_TRUE(sim.Recorded("firmware written: KRYVCI 2.0.0.0 2025-01-02"));
  EXPECT_FALSE(platform::FileExists(started)) << "the updater was started";
  EXPECT_EQ(json::parse(run.out)["status"], "Update Completed");  // one document
}

// Updates that must not start: a low voltage unanswered (no terminal), Farlink remote mode,
// nothing chosen, bad usage.
TEST_F(ProcedureCli, FirmwareRefusals) {
  const std::string low = root.Put("low.ini", "[Adapter]\nVoltage=8999\n");
  const struct {
    std::vector<std::string> sim;
    const char* kryType;  // replaces the LAN type in KRY.ini when given
    const char* args;
    int code;
    const char* shown;
  } cases[] = {
      {{"--profile", low}, nullptr, "firmware", 1, "[LRESETWNDTIP] The OBD voltage is too low"},
      {{}, "Type=8", "firmware --yes", 1, "[LUWNDTIP] Upgrade firmware is not allowed in Farlink"},
      {{}, nullptr, "firmware --no-vci --no-doip", 1, "nothing to update"},
      {{}, nullptr, "firmware --sideways", 2, ""},
  };
  for (const auto& c : cases) {
    VciSim sim(c.sim);
    ASSERT_TRUE(sim.ok()) << sim.output();
    sim.WriteKryIni(root / "kry/KRY.ini");
    if (c.kryType) {
      std::string ini = *platform::ReadFile(root / "kry/KRY.ini");
      platform::WriteFile(root / "kry/KRY.ini", ini.replace(ini.find("Type=4"), 6, c.kryType));
    }
    EXPECT_EQ(Cli(c.args).code, c.code) << c.args;
    EXPECT_TRUE(InStderr(c.shown)) << Stderr();
    EXPECT_FALSE(InStderr("Update Completed"));
    EXPECT_FALSE(sim.WaitFor("firmware write begins", 100));
  }
}

TEST_F(ProcedureCli, ResetAsksAndNeedsAFreeAdapter) {
  VciSim sim({"--module"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "reset --yes");
  EXPECT_EQ(run.code, 0) << Stderr();
  EXPECT_EQ(json::parse(run.out)["serialLabel"]["text"], "K9ABC00258") << "report refreshed";
  EXPECT_TRUE(sim.Recorded("reset"));
  for (const char* shown :
       {"[LRESETWNDTIP] Device will reset , are you sure ?", "[deviceConnImage] conn_unknow.png",
        "[HWRSTWND] Reset Device [1/2] Restart comm module",
        "[HWRESETTIP] Reset Device [2/2] Restart system"})
    EXPECT_TRUE(InStderr(shown)) << shown << "\n" << Stderr();
  EXPECT_EQ(LastRecord(), "769 device-reset  > ok: ");
  // Held by another program, or the question unanswered (no terminal): no reset.
  for (const auto& [switches, args] :
       {std::make_pair(std::vector<std::string>{"--held"}, "reset --yes"),
        std::make_pair(std::vector<std::string>{}, "reset")}) {
    VciSim other(switches);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(Cli(other, args).code, 1) << args;
    EXPECT_FALSE(other.Recorded("reset")) << args;
  }
}

TEST_F(ProcedureCli, UnlockDropsAStaleConnection) {
  const struct {
    std::vector<std::string> sim;
    const char* args;
    int result;
  } cases[] = {
      {{}, "unlock --yes", 2},                        // connected from 192.168.8.100
      {{"--console-client", ""}, "unlock --yes", 1},  // "unconnected": nothing to drop
      {{}, "unlock", 0},                              // no answer at the terminal: cancelled
  };
  for (const auto& c : cases) {
    VciSim sim(c.sim);
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, c.args);
    EXPECT_EQ(run.code, c.result == 0 ? 1 : 0) << "nothing freed without a reply\n" << Stderr();
    EXPECT_EQ(json::parse(run.out)["result"], c.result) << c.args;
    EXPECT_EQ(sim.WaitFor("console: dropped", c.result == 2 ? 2000 : 100), c.result == 2);
    // A cancelled unlock never touches the adapter, not even to learn its address.
    EXPECT_EQ(sim.Recorded("open"), c.result != 0);
  }
}

// Another program (this test) holds the adapter: each command is refused and told by whom,
// and works once the adapter is free.
TEST_F(ProcedureCli, AnotherProgramHoldingTheAdapterIsNamed) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(root / "kry/KRY.ini");
  core::ZCommSettings comm(root / "kry/KRY.ini");
  comm.Load();
  const std::string lockFile = device::AdapterLockPath(comm.path(), comm.current());
  const auto opens = [&sim] {
    const auto record = sim.Record();
    return std::count(record.begin(), record.end(), "open");
  };
  for (const char* args : {"report", "device", "test hw", "reset"}) {
    const auto before = opens();
    device::AdapterLock held = device::AdapterLock::Take(lockFile, "the firmware update", 0);
    ASSERT_TRUE(held);
    const auto run = Cli(args);
    EXPECT_EQ(run.code, 1) << args;
    EXPECT_TRUE(InStderr("The adapter is busy with the firmware update.")) << args << Stderr();
    EXPECT_EQ(json::parse(run.out)["ok"], false);
    EXPECT_EQ(opens(), before) << args << ": the adapter was opened";
    held.Release();
    EXPECT_EQ(Cli(std::string(args) == "reset" ? "report" : args).code, 0) << args << Stderr();
  }
  EXPECT_GT(opens(), 0) << "the simulator records its opens";
}

TEST_F(ProcedureCli, CommSettingsShownAndSaved) {
  const std::string ini = root.Put("kry/KRY.ini", "[COMM]\nType=7\nIPAddr=10.1.2.3\n");
  auto show = Cli("comm show");
  ASSERT_EQ(show.code, 0) << Stderr();
  EXPECT_EQ(json::parse(show.out)["page"]["typePosition"], -1) << "a type the page does not list";
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"comm save --position 3 --port 7 --loglevel 3",
       {"Type=2", "Port=7", "IPAddr=10.1.2.3", "LogLevel=0x03"}},
      {"comm save --position 5 --address 192.168.1.20 --port 5000 --loglevel 5",
       {"Type=4", "IPAddr=192.168.1.20", "Port=5000", "Datarate=921600M", "LogLevel=0xff"}},
  };
  for (const auto& [args, written] : cases) {
    ASSERT_EQ(Cli(args).code, 0) << args << "\n" << Stderr();
    const std::string text = platform::ReadFile(ini).value_or("");
    for (const auto& line : written) EXPECT_NE(text.find(line + "\n"), std::string::npos) << line;
  }
  const std::string kept = platform::ReadFile(ini).value_or("");
  for (const char* bad : {"comm save --position 9", "comm save --position 3 --port", "comm"})
    EXPECT_EQ(Cli(bad).code, 2) << bad;
  EXPECT_EQ(platform::ReadFile(ini).value_or(""), kept) << "bad usage writes nothing";
  // A file that cannot be written (a file stands where its folder should; root ignores
  // permissions) fails.
  platform::DeleteFile(ini);
  ::rmdir((root / "kry").c_str());
  platform::WriteFile(root / "kry", "");
  EXPECT_EQ(Cli("comm save --position 3 --port 7").code, 1);
  EXPECT_TRUE(InStderr("cannot write")) << Stderr();
}

// The module update alone and the ways it fails, from either command; the report afterwards
// shows the version the module really runs.
TEST_F(ProcedureCli, ModuleUpdateAndItsFailures) {
  ModuleTime();
  const std::string image = root / "Download/openwrt.bin";
  const std::string md5 = testing_support::Md5sumOf(image);  // lower case
  std::string upper = md5;
  std::transform(md5.begin(), md5.end(), upper.begin(), ::toupper);
  const std::string update = "module update '" + image + "' ";
  const struct {
    const char* fault;
    std::string command;
    int code;
    std::string shown;
  } cases[] = {
      {"", update + upper, 0, "[status] Upgrading system firmware..."},
      {"--comes-back-old", "firmware --no-vci --yes", 1,
       "After the update the module reports version V1.0.3 instead of V1.1.0."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " " + c.fault);
    std::vector<std::string> args = {"--profile", kWifiModule, "--upgrade-ms", "2000"};
    if (*c.fault) args.push_back(c.fault);
    VciSim sim(args);
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, c.command);
    EXPECT_EQ(run.code, c.code) << Stderr();
    EXPECT_TRUE(InStderr(c.shown)) << Stderr();
    if (c.code == 0) {
      EXPECT_EQ(json::parse(run.out)["openwrt"], "V1.1.0");
      continue;
    }
    EXPECT_TRUE(InStderr("[status] Updating system firmware ... Failed")) << Stderr();
    EXPECT_FALSE(InStderr("Update Completed")) << Stderr();
    if (*c.fault) {
      EXPECT_EQ(json::parse(run.out)["stage"], "version-check");
      EXPECT_EQ(json::parse(run.out)["reason"], c.shown);
      EXPECT_EQ(LastRecord(), "1025 doip-system DoIP system V1.0.3>V1.0.3 failed: " + c.shown);
      EXPECT_FALSE(sim.Recorded("firmware write begins")) << "the VCI was left alone";
    }
    const json rows = json::parse(Cli(sim, "report").out)["rows"];
    EXPECT_NE(std::find(rows.begin(), rows.end(),
                        json({{"kind", "value"}, {"label", "Version"}, {"value", "V1.0.3"}})),
              rows.end());
  }
}

}  // namespace
