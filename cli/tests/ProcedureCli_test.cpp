// report, firmware, reset, unlock and test as a technician runs them, against the adapter
// simulator with the clock scaled, offline from the kept catalogue and images.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "cli/tests/CliRun.h"
#include "core/ZCommSettings.h"
#include "device/AdapterLock.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "tests/support/ArgumentRecorder.h"
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
    toolSum = platform::ToUpperAscii(testing_support::WriteModuleTool(root / "kry-fwup"));
    Configure("OfflineMode=1\n");
  }
  void Configure(const std::string& extra) {
    root.Put("Config/KavoraC.ini",
             "[CONFIG]\nLANGUAGE=1\nKRYFwUp=kry-fwup\nKRYFwUpCheckSum=" + toolSum + "\n" + extra);
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

  testing_support::TempFolder root;
  std::string toolSum;
};

// The VCI alone, printed once. A newer program on the server does not take the adapter's
// work away: only start and update-check hand over to the updater.
TEST_F(ProcedureCli, FirmwareUpdatesTheVciAndNeverStartsTheUpdater) {
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
  const testing_support::ArgumentRecorder updater{root, "OrbUpdate"};
  Configure("ManagerVersion=1.0.0\nOfflineMode=0\nUpdateURL=" + web.Url("/update.ini") +
            "\nApplicationURL=" + web.Url("/APPS.xml") + "\nFirmwareURL=" + web.Url("/fws.xml") +
            "\nSPSListURL=" + web.Url("/sps.xml") + "\nAupdateUpdateProgram=" + updater.program +
            "\n");
  VciSim sim({"--module", "--firmware-write-ms", "3000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const auto run = Cli(sim, "firmware --no-doip --yes");
  EXPECT_TRUE(InStderr("Find new version: 9.9.9, Update now? [Cancel]")) << Stderr();
  EXPECT_TRUE(sim.Recorded("firmware written: KRYVCI 2.0.0.0 2025-01-02"));
  EXPECT_FALSE(sim.WaitFor("put-file", 100)) << "the module was left alone";
  EXPECT_FALSE(platform::FileExists(updater.out)) << "the updater was started";
  const json j = json::parse(run.out);  // one document
  EXPECT_EQ(json({run.code, j["status"], j["vci"]["currentVersion"], j["vci"]["newVersion"]}),
            json({0, "Update Completed", "1.2.3.4", "2.0.0.0"}));
  const std::string err = Stderr();
  EXPECT_EQ(err.find("Update Completed"), err.rfind("Update Completed")) << "printed once";
  EXPECT_EQ(LastRecord(), "769 vci-firmware VCI firmware 1.2.3.4>2.0.0.0 ok: Update Completed");
}

// How the terminal shows the reset's steps and the record the run leaves (the reset itself is
// the procedures' own); firmware updates that must not start: nothing chosen, bad usage,
// Farlink remote mode.
TEST_F(ProcedureCli, ResetAndFirmwareRefusals) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  EXPECT_EQ(Cli(sim, "reset --yes").code, 0) << Stderr();
  EXPECT_TRUE(sim.Recorded("reset"));
  for (const char* shown :
       {"[LRESETWNDTIP] Device will reset , are you sure ?", "[deviceConnImage] conn_unknow.png",
        "[HWRSTWND] Reset Device [1/1] Restart comm module"})
    EXPECT_TRUE(InStderr(shown)) << Stderr();
  EXPECT_EQ(LastRecord(), "769 device-reset  > ok: ");

  EXPECT_EQ(Cli("firmware --no-vci --no-doip").code, 1);
  EXPECT_TRUE(InStderr("nothing to update")) << Stderr();
  EXPECT_EQ(Cli("firmware --sideways").code, 2);
  std::string ini = *platform::ReadFile(root / "kry/KRY.ini");
  platform::WriteFile(root / "kry/KRY.ini", ini.replace(ini.find("Type=4"), 6, "Type=8"));
  EXPECT_EQ(Cli("firmware --yes").code, 1);
  EXPECT_TRUE(InStderr("[LUWNDTIP] Upgrade firmware is not allowed in Farlink")) << Stderr();
  EXPECT_FALSE(sim.WaitFor("firmware write begins", 100));
}

TEST_F(ProcedureCli, UnlockDropsAStaleConnection) {
  // Connected from 192.168.8.100; no answer at the terminal: cancelled.
  for (const auto& [args, result] : {std::pair{"unlock --yes", 2}, std::pair{"unlock", 0}}) {
    VciSim sim;
    ASSERT_TRUE(sim.ok()) << sim.output();
    const auto run = Cli(sim, args);
    EXPECT_EQ(run.code, result == 0 ? 1 : 0) << "nothing freed without a reply\n" << Stderr();
    EXPECT_EQ(json::parse(run.out)["result"], result) << args;
    EXPECT_EQ(sim.WaitFor("console: dropped", result == 2 ? 2000 : 100), result == 2);
    // A cancelled unlock never touches the adapter, not even to learn its address.
    EXPECT_EQ(sim.Recorded("open"), result != 0);
  }
}

// "device" takes the lock itself: another program (this test) holding the adapter is named,
// and the adapter is not opened. Once it is free, the report, and one held by another SDK user.
TEST_F(ProcedureCli, DeviceReportsTheAdapterOrWhyNot) {
  VciSim sim({"--profile", kWifiModule}), held({"--held"});
  ASSERT_TRUE(sim.ok() && held.ok()) << sim.output();
  sim.WriteKryIni(root / "kry/KRY.ini");
  core::ZCommSettings comm(root / "kry/KRY.ini");
  comm.Load();
  device::AdapterLock other = device::AdapterLock::Take(
      device::AdapterLockPath(comm.path(), comm.current()), "the firmware update", 0);
  ASSERT_TRUE(other);
  auto run = Cli("device");
  EXPECT_EQ(json({run.code, json::parse(run.out)["ok"]}), json({1, false}));
  EXPECT_TRUE(InStderr("The adapter is busy with the firmware update.")) << Stderr();
  EXPECT_FALSE(sim.Recorded("open"));
  other.Release();
  run = Cli("device");
  ASSERT_EQ(run.code, 0) << Stderr();
  auto j = json::parse(run.out);
  EXPECT_EQ(json({j["connected"], j["serial"], j["firmwareVersion"], j["module"]["ssid"]}),
            json({true, "K9ABC00258", "1.2.3.4", "KRY-DoIP-0258"}));
  EXPECT_EQ(j["interface"], json({{"type", 3}, {"port", 6800}, {"address", sim.address()}}));
  EXPECT_EQ(json::parse(Cli("device led").out)["results"], json::array({0}));
  EXPECT_EQ(json::parse(Cli("device beep").out)["results"], json::array({0, 0}));
  EXPECT_TRUE(sim.WaitFor("beep 0 1"));
  EXPECT_EQ(Cli("device blink").code, 2);
  run = Cli(held, "device");
  j = json::parse(run.out);
  EXPECT_EQ(json({run.code, j["connected"], j["inUse"], j["openResult"], j["hardwareName"]}),
            json({1, false, true, 127, nullptr}));
}

TEST_F(ProcedureCli, CommSettingsShownAndSaved) {
  const std::string ini = root.Put("kry/KRY.ini", "[COMM]\nType=7\nIPAddr=10.1.2.3\n");
  // A type the page does not list.
  const auto show = Cli("comm show");
  EXPECT_EQ(json({show.code, json::parse(show.out)["page"]["typePosition"]}), json({0, -1}));
  // What each type writes is the page's; here every option reaches it.
  ASSERT_EQ(Cli("comm save --position 5 --address 192.168.1.20 --port 5000 --loglevel 5").code, 0)
      << Stderr();
  const std::string kept = platform::ReadFile(ini).value_or("");
  for (const char* line : {"Type=4\n", "IPAddr=192.168.1.20\n", "Port=5000\n", "LogLevel=0xff\n"})
    EXPECT_NE(kept.find(line), std::string::npos) << line;
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

// The module update alone, and a module that comes back old from the firmware command: the
// run fails at the version check and is recorded so.
TEST_F(ProcedureCli, ModuleUpdateAndAModuleThatComesBackOld) {
  // The module's commands time out after a second, scaled: on a loaded machine 10 ms is
  // too short for the simulator to answer, so the runs that meet the module take longer.
  ::setenv("KAVORA_TIME_SCALE", "0.05", 1);
  const std::string image = root / "Download/openwrt.bin";
  VciSim sim({"--profile", kWifiModule, "--upgrade-ms", "2000"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  // The MD5 as md5sum prints it, in lower case.
  auto run = Cli(sim, "module update '" + image + "' " + testing_support::Md5sumOf(image));
  EXPECT_EQ(json({run.code, json::parse(run.out)["openwrt"]}), json({0, "V1.1.0"})) << Stderr();

  VciSim old({"--profile", kWifiModule, "--upgrade-ms", "2000", "--comes-back-old"});
  ASSERT_TRUE(old.ok()) << old.output();
  run = Cli(old, "firmware --no-vci --yes");
  const std::string reason =
      "After the update the module reports version V1.0.3 instead of V1.1.0.";
  const json j = json::parse(run.out);
  EXPECT_EQ(json({run.code, j["stage"], j["reason"]}), json({1, "version-check", reason}));
  EXPECT_EQ(LastRecord(), "1025 doip-system DoIP system V1.0.3>V1.0.3 failed: " + reason);
}

}  // namespace
