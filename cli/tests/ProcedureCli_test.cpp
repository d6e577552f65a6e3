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

class ProcedureCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    for (const char* f : {"Config", "Language", "Download", "kry"})
      platform::CreateFolders(root / f);
    platform::WriteFile(root / "Language/EN.xml", "<lang/>");
    platform::WriteFile(root / "Download/APPS.xml", "<APPS/>");
    ASSERT_TRUE(testing_support::WriteKeptFirmware(root / "Download", true));
    Config("KRYFwUpCheckSum=" + testing_support::WriteModuleTool(root / "kry-fwup"));
  }
  void Config(const std::string& lines) {
    platform::WriteFile(root / "Config/KavoraC.ini",
                        "[CONFIG]\nLANGUAGE=1\nOfflineMode=1\nKRYFwUp=kry-fwup\n" + lines + "\n");
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
  static std::vector<std::string> Rows(const json& report) {
    std::vector<std::string> out;
    for (const auto& row : report["rows"])
      out.push_back(row["kind"].get<std::string>() + " " + row["label"].get<std::string>() + "=" +
                    row["value"].get<std::string>());
    return out;
  }
  // The module's commands time out after a second, scaled: on a loaded machine 10 ms is
  // too short for the simulator to answer, so the runs that meet the module take longer.
  static void ModuleTime() { ::setenv("KAVORA_TIME_SCALE", "0.05", 1); }
  std::string Profile(const std::string& text) {
    platform::WriteFile(root / "profile.ini", text);
    return root / "profile.ini";
  }

  testing_support::TempFolder root;
};

TEST_F(ProcedureCli, ReportOfAnAdapterWithItsModule) {
  VciSim sim({"--profile", ORB_SOURCE_DIR "/sim/profiles/wifi-module.ini"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "report");
  ASSERT_EQ(run.code, 0) << Stderr();
  const json r = json::parse(run.out);
  // The rows themselves are the report's; here every one is printed with its kind.
  const auto rows = Rows(r);
  ASSERT_EQ(rows.size(), 17u);
  EXPECT_EQ(rows[0], "header Hardware=");
  EXPECT_EQ(rows[2], "value Serial Number=K9ABC00258");
  EXPECT_EQ(rows[16], "value SSID=KRY-DoIP-0258");
  EXPECT_EQ(r["serialLabel"], json({{"text", "K9ABC00258"}, {"colour", "#FF00FF00"}}));
  EXPECT_EQ(r["voltageLabel"], json({{"text", " 12.34 V"}, {"colour", "#FF00FF00"}}));
  EXPECT_EQ(r["connectionPicture"], "conn_lan.png");
  EXPECT_EQ(r["toolTip"], "WiFi\r\n" + sim.address() + " : 6800");
  EXPECT_EQ(r["firmwareUpdate"], true);
  EXPECT_EQ(r["firmwareButtonText"], "Firmware +");
  EXPECT_EQ(r["vciPid"], 0x0301);
  EXPECT_EQ(r["doipPid"], 0x0401);
}

TEST_F(ProcedureCli, ReportOfAdaptersThatCannotBeRead) {
  struct Case {
    std::vector<std::string> sim;
    bool stop;
    std::vector<std::string> rows;
    std::string picture;
  } cases[] = {
      {{"--held"}, false, {"notice Device is in use="}, "conn_used.png"},
      {{}, true, {"notice Device is not connected=(USB)"}, "conn_unknow.png"},
      {{"--profile", ORB_SOURCE_DIR "/sim/profiles/boot-mode.ini"},
       false,
       {"notice VCI Boot=Mode"},
       ""},
  };
  for (const auto& c : cases) {
    VciSim sim(c.sim);
    ASSERT_TRUE(sim.ok()) << sim.output();
    if (c.stop) sim.Stop();
    const auto run = Cli(sim, "report");
    ASSERT_EQ(run.code, 0) << Stderr();
    const json r = json::parse(run.out);
    EXPECT_EQ(Rows(r), c.rows);
    EXPECT_EQ(r["connectionPicture"], c.picture);
    EXPECT_EQ(r["firmwareUpdate"], c.picture.empty()) << "boot mode must be updated";
  }
}

// The boundaries are the report's; here the red one as the command prints it.
TEST_F(ProcedureCli, LowVoltageIsPrintedRed) {
  VciSim sim({"--profile", Profile("[Adapter]\nVoltage=7999\n")});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "report");
  ASSERT_EQ(run.code, 0) << Stderr();
  EXPECT_EQ(json::parse(run.out)["voltageLabel"],
            json({{"text", "  8.00 V"}, {"colour", "#FFFF0000"}}));
}

// Both parts in one run are the job's to prove; the module alone runs below.
TEST_F(ProcedureCli, FirmwareUpdatesTheVci) {
  VciSim sim({"--module", "--firmware-write-ms", "3000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "firmware --no-doip --yes");
  EXPECT_EQ(run.code, 0) << Stderr();
  const json rows = json::parse(run.out);
  EXPECT_EQ(rows["vci"]["currentVersion"], "1.2.3.4");
  EXPECT_EQ(rows["vci"]["newVersion"], "2.0.0.0");
  EXPECT_EQ(rows["vci"]["ticked"], true);
  EXPECT_EQ(rows["system"]["currentVersion"], "V1.0.3");
  EXPECT_EQ(rows["system"]["ticked"], true);
  EXPECT_TRUE(InStderr("[status] Updating...")) << Stderr();
  EXPECT_TRUE(InStderr("[progress] 100%"));
  const std::string err = Stderr();
  EXPECT_EQ(err.find("Update Completed"), err.rfind("Update Completed")) << "printed once";
  EXPECT_NE(err.find("[status] Update Completed"), std::string::npos);
  EXPECT_TRUE(sim.Recorded("firmware written: KRYVCI 2.0.0.0 2025-01-02"));
  EXPECT_FALSE(sim.WaitFor("put-file", 100)) << "the module was left alone";
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
  const std::string recorder = root / "OrbUpdate";
  platform::WriteFile(recorder, "#!/bin/sh\necho \"$@\" >'" + started + "'\n");
  ::chmod(recorder.c_str(), 0755);
  platform::WriteFile(
      root / "Config/KavoraC.ini",
      "[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0.0\nOfflineMode=0\nKRYFwUp=kry-fwup\n"
      "KRYFwUpCheckSum=" +
          testing_support::Md5sumOf(root / "kry-fwup") + "\nUpdateURL=" + web.Url("/update.ini") +
          "\nApplicationURL=" + web.Url("/APPS.xml") + "\nFirmwareURL=" + web.Url("/fws.xml") +
          "\nSPSListURL=" + web.Url("/sps.xml") + "\nAupdateUpdateProgram=" + recorder + "\n");
  VciSim sim({"--firmware-write-ms", "3000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "firmware --no-doip --yes");
  EXPECT_EQ(run.code, 0) << Stderr();
  EXPECT_TRUE(InStderr("Find new version: 9.9.9, Update now? [Cancel]")) << Stderr();
  EXPECT_TRUE(sim.Recorded("firmware written: KRYVCI 2.0.0.0 2025-01-02"));
  EXPECT_FALSE(platform::FileExists(started)) << "the updater was started";
  const json result = json::parse(run.out);  // one document
  EXPECT_EQ(result["completed"], true);
  EXPECT_EQ(result["status"], "Update Completed");
}

TEST_F(ProcedureCli, FirmwareTicksAndTheLowVoltageQuestion) {
  {
    // Only the module: the VCI is left alone.
    ModuleTime();
    VciSim sim({"--module", "--upgrade-ms", "20000"});
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, "firmware --no-vci --yes");
    EXPECT_EQ(run.code, 0) << Stderr();
    EXPECT_FALSE(sim.WaitFor("firmware write begins", 100));
    EXPECT_TRUE(sim.WaitFor("module back: version V1.1.0"));
  }
  {
    // 8,999 mV asks; without a terminal to answer, the update is cancelled.
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    VciSim sim({"--profile", Profile("[Adapter]\nVoltage=8999\n")});
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, "firmware");
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(InStderr("[LRESETWNDTIP] The OBD voltage is too low")) << Stderr();
    EXPECT_FALSE(InStderr("Update Completed"));
    EXPECT_FALSE(sim.WaitFor("firmware write begins", 100));
  }
  {
    VciSim sim;
    ASSERT_TRUE(sim.ok()) << sim.output();
    EXPECT_EQ(Cli(sim, "firmware --no-vci --no-doip").code, 1);
    EXPECT_TRUE(InStderr("nothing to update"));
    EXPECT_EQ(Cli(sim, "firmware --sideways").code, 2);
  }
}

TEST_F(ProcedureCli, FirmwareIsRefusedInFarlinkMode) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(root / "kry/KRY.ini");
  std::string ini = *platform::ReadFile(root / "kry/KRY.ini");
  ini.replace(ini.find("Type=4"), 6, "Type=8");
  platform::WriteFile(root / "kry/KRY.ini", ini);
  EXPECT_EQ(Cli("firmware --yes").code, 1);
  EXPECT_TRUE(InStderr("[LUWNDTIP] Upgrade firmware is not allowed in Farlink remote mode!"))
      << Stderr();
}

TEST_F(ProcedureCli, ResetWithAndWithoutModule) {
  for (bool module : {false, true}) {
    VciSim sim(module ? std::vector<std::string>{"--module"} : std::vector<std::string>{});
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, "reset --yes");
    EXPECT_EQ(run.code, 0) << Stderr();
    EXPECT_EQ(json::parse(run.out)["serialLabel"]["text"], "K9ABC00258")
        << "the report is refreshed";
    EXPECT_TRUE(sim.Recorded("reset"));
    EXPECT_TRUE(InStderr("[LRESETWNDTIP] Device will reset , are you sure ?"));
    EXPECT_TRUE(InStderr("[deviceConnImage] conn_unknow.png"));
    EXPECT_TRUE(InStderr(module ? "[HWRSTWND] Reset Device [1/2] Restart comm module"
                                : "[HWRSTWND] Reset Device [1/1] Restart comm module"))
        << Stderr();
    EXPECT_EQ(InStderr("[HWRESETTIP] Reset Device [2/2] Restart system"), module);
  }
  VciSim held({"--held"});
  ASSERT_TRUE(held.ok());
  EXPECT_EQ(Cli(held, "reset --yes").code, 1);
  EXPECT_FALSE(held.Recorded("reset"));
  // Without --yes and without a terminal to answer, the question is cancelled.
  VciSim unanswered;
  ASSERT_TRUE(unanswered.ok());
  EXPECT_EQ(Cli(unanswered, "reset").code, 1);
  EXPECT_FALSE(unanswered.Recorded("reset"));
}

TEST_F(ProcedureCli, UnlockDropsAStaleConnection) {
  struct Case {
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
    if (c.result == 0) {
      EXPECT_FALSE(sim.Recorded("open"));
    }
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
    EXPECT_TRUE(InStderr("The adapter is busy with the firmware update.")) << args << "\n"
                                                                           << Stderr();
    EXPECT_EQ(json::parse(run.out)["ok"], false);
    EXPECT_EQ(opens(), before) << args << ": the adapter was opened";
    held.Release();
    EXPECT_EQ(Cli(std::string(args) == "reset" ? "report" : args).code, 0) << args << Stderr();
  }
  EXPECT_GT(opens(), 0) << "the simulator records its opens";
}

TEST_F(ProcedureCli, SelfAndHardwareTests) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  for (const char* test : {"test self", "test hw"}) {
    EXPECT_EQ(Cli(sim, test).code, 0) << Stderr();
    EXPECT_TRUE(InStderr("[LUWNDTIP] Complete")) << test;
  }
  std::vector<std::string> calls;
  for (const auto& line : sim.Record())
    if (line.rfind("led", 0) == 0 || line.rfind("beep", 0) == 0) calls.push_back(line);
  EXPECT_EQ(calls, (std::vector<std::string>{"led 1 1 1 1", "beep 1 10", "beep 0 1", "led 1 1 1 1",
                                             "beep 1 10", "beep 0 1"}));
  sim.Stop();
  EXPECT_EQ(Cli(sim, "test hw").code, 1);
  EXPECT_TRUE(InStderr("[error] Device is not connected"));
  EXPECT_EQ(Cli(sim, "test").code, 2);
}

TEST_F(ProcedureCli, CommSettingsShownAndSaved) {
  const std::string ini = root / "kry/KRY.ini";
  platform::WriteFile(ini, "[COMM]\nType=7\nIPAddr=10.1.2.3\n");
  auto show = Cli("comm show");
  ASSERT_EQ(show.code, 0) << Stderr();
  EXPECT_EQ(json::parse(show.out)["page"]["typePosition"], -1) << "a type the page does not list";
  EXPECT_EQ(json::parse(show.out)["page"]["picture"], "");

  struct Case {
    const char* args;
    std::vector<std::string> written;
  } cases[] = {
      {"comm save --position 3 --port 7 --loglevel 3",
       {"Type=2", "Port=7", "IPAddr=10.1.2.3", "LogLevel=0x03"}},
      {"comm save --position 5 --address 192.168.1.20 --port 5000 --loglevel 5",
       {"Type=4", "IPAddr=192.168.1.20", "Port=5000", "Datarate=921600M", "LogLevel=0xff"}},
  };
  for (const auto& c : cases) {
    const auto run = Cli(c.args);
    ASSERT_EQ(run.code, 0) << c.args << "\n" << Stderr();
    const std::string text = platform::ReadFile(ini).value_or("");
    for (const auto& line : c.written) EXPECT_NE(text.find(line + "\n"), std::string::npos) << line;
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

TEST_F(ProcedureCli, ModuleUpdateAndItsFailures) {
  ModuleTime();
  const std::string image = root / "Download/openwrt.bin";
  const std::string md5 = testing_support::Md5sumOf(image);  // lower case
  std::string upper = md5;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    std::vector<std::string> sim;
    std::string digest;
    int code;
    std::vector<std::string> shown;
  } cases[] = {
      {{}, upper, 0, {"[status] Upgrading system firmware..."}},
      {{"--module-refuse"},
       upper,
       1,
       {"Connect device failed！", "[status] Checking DoIP system status ... Failed"}},
      {{}, md5, 1, {"Checksum firmware failed！", "[status] Updating system firmware ... Failed"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--profile", ORB_SOURCE_DIR "/sim/profiles/wifi-module.ini",
                                     "--upgrade-ms", "2000"};
    args.insert(args.end(), c.sim.begin(), c.sim.end());
    VciSim sim(args);
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, "module update '" + image + "' " + c.digest);
    EXPECT_EQ(run.code, c.code) << c.digest << "\n" << Stderr();
    for (const auto& text : c.shown) EXPECT_TRUE(InStderr(text)) << text << "\n" << Stderr();
    if (c.code == 0) {
      const json release = json::parse(run.out);
      EXPECT_EQ(release["openwrt"], "V1.1.0");
      EXPECT_EQ(release["address"], sim.address());
    }
  }
}

// An upgrade the module refused, or one it came back from running its old system, fails
// from either command, and the report afterwards shows the version the module really runs.
TEST_F(ProcedureCli, AModuleUpdateThatDidNotHappenFails) {
  ModuleTime();
  const std::string image = root / "Download/openwrt.bin";
  std::string md5 = testing_support::Md5sumOf(image);
  for (char& c : md5) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const struct {
    const char* fault;
    std::string command;
    std::string message;
    const char* stage;
  } cases[] = {
      {"--upgrade-refused", "firmware --no-vci --yes",
       "The module refused the upgrade: Command failed: Permission denied", "upgrade"},
      {"--comes-back-old", "module update '" + image + "' " + md5,
       "After the update the module reports version V1.0.3 instead of V1.1.0.", "version-check"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const std::string profile = ORB_SOURCE_DIR "/sim/profiles/wifi-module.ini";
    VciSim sim({"--profile", profile, "--upgrade-ms", "2000", c.fault});
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, c.command);
    EXPECT_EQ(run.code, 1) << Stderr();
    EXPECT_EQ(json::parse(run.out)["stage"], c.stage);
    EXPECT_EQ(json::parse(run.out)["reason"], c.message);
    EXPECT_TRUE(InStderr(c.message)) << Stderr();
    EXPECT_TRUE(InStderr("[status] Updating system firmware ... Failed")) << Stderr();
    EXPECT_FALSE(InStderr("Update Completed")) << Stderr();
    const auto report = Cli(sim, "report");
    ASSERT_EQ(report.code, 0) << Stderr();
    const auto rows = Rows(json::parse(report.out));
    EXPECT_NE(std::find(rows.begin(), rows.end(), "value Version=V1.0.3"), rows.end());
  }
}

}  // namespace
