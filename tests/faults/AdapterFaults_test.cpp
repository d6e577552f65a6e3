// Faults in the middle of firmware work, against the adapter simulator: the adapter lost
// during the firmware write, the module dropping the connection while it receives the
// update tool or the image, and the module never coming back. After each, the adapter and
// the module are left recoverable and the kept images are as they were: nothing is lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>

#include "codec/MD5.h"
#include "core/Log.h"
#include "device/DeviceReport.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/FirmwareUpdateJob.h"
#include "firmware/ZKRYDoIPDevice.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ShellRun.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::ScriptedInteraction;
using testing_support::VciSim;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

class AdapterFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
    if (const char* tmp = std::getenv("TMPDIR")) oldTmp = tmp;
    ::setenv("TMPDIR", root.path().c_str(), 1);  // the module's release file goes there
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    ::setenv("KAVORA_TIME_SCALE", "0.002", 1);  // the simulator's flash and reboot times
    platform::SetClock(&clock);
    core::SetUpLog(root / "Kavora.log");
    platform::CreateFolders(root / "kry");
    platform::CreateFolders(root / "Download");
    ScriptedInteraction quiet;
    ASSERT_TRUE(device::ZKRYSdk::Instance().Load(quiet));
    const std::string sim = VCI_SIM_PATH;
    ASSERT_EQ(testing_support::RunShell(sim + " --make-vci-image '" + (root / "Download/KRY.bin") +
                                        "' KRYVCI 2.0.0.0 2025-01-02")
                  .code,
              0);
    platform::WriteFile(
        root / "release.txt",
        "[release]\nopenwrt=V1.1.0\nuboot=2020.04\ndevice=DOIPMOD\n[checksum]\nopenwrt=none\n");
    ASSERT_EQ(
        testing_support::RunShell(sim + " --make-doip-image '" + (root / "Download/openwrt.bin") +
                                  "' '" + (root / "release.txt") + "' 200000")
            .code,
        0);
    platform::WriteFile(root / "kry-fwup",
                        "#!/bin/sh\n# module update tool\n" + std::string(50000, '#'));
    core::ZConfig& config = core::ZConfig::Instance();
    config.root = root.path();
    config.KRYFwUp = root / "kry-fwup";
    config.KRYFwUpCheckSum = Lower(*codec::FileMD5Text(root / "kry-fwup"));
    config.OEMString.clear();
    platform::WriteFile(root / "fws.xml",
                        "<FWS><ITEM><ID>1</ID><PID>769</PID><NAME>VCI "
                        "firmware</NAME><VERSION>2.0.0.0</VERSION><MD5>" +
                            Digest("Download/KRY.bin") +
                            "</MD5><URL>http://127.0.0.1:1/KRY.bin</URL></ITEM>"
                            "<ITEM><ID>2</ID><PID>1025</PID><NAME>DoIP "
                            "system</NAME><VERSION>V1.1.0</VERSION><MD5>" +
                            Digest("Download/openwrt.bin") +
                            "</MD5><URL>http://127.0.0.1:1/o.bin</URL></ITEM></FWS>");
    ASSERT_TRUE(catalogue.Load(root / "fws.xml"));
    keptVci = Digest("Download/KRY.bin");
    keptSystem = Digest("Download/openwrt.bin");
  }
  void TearDown() override {
    if (oldTmp.empty()) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", oldTmp.c_str(), 1);
    }
    platform::SetClock(nullptr);
    core::SetUpLog(root / "other.log");
  }
  std::string Digest(const std::string& name) {
    return codec::FileMD5Text(root / name).value_or("none");
  }
  std::unique_ptr<firmware::FirmwareUpdateJob> Job(device::ZKRYDevice& dev) {
    firmware::FirmwareJobSetup setup{
        dev, catalogue, core::ZConfig::Instance(), {root / "Download", false}, ui, 0x0301, 0x0401};
    return std::make_unique<firmware::FirmwareUpdateJob>(setup);
  }
  // Runs one update with the rows as ticked, to its end.
  firmware::FirmwareJobState Update(bool vci, bool system) {
    device::ZKRYDevice dev;
    auto job = Job(dev);
    job->Start();
    job->SetTicks(vci, system);
    EXPECT_TRUE(job->RequestUpdate());
    job->WaitIdle();
    EXPECT_FALSE(dev.connected()) << "the adapter is closed again";
    return job->state();
  }
  device::DeviceReport Report() {
    core::ZCommSettings comm;
    comm.Load();
    device::ReportContext context{core::ZConfig::Instance(), comm,
                                  [this](std::uint32_t pid, const std::string& v) {
                                    return catalogue.IsLatestVersion(pid, v);
                                  },
                                  root / "skin"};
    device::ZKRYDevice dev;
    device::DeviceReport report;
    device::UpdateDeviceInfo(dev, context, report);
    return report;
  }
  // What was lost: the kept images must be byte for byte what they were.
  void ExpectNothingLost() {
    EXPECT_EQ(Digest("Download/KRY.bin"), keptVci) << "the kept VCI image is intact";
    EXPECT_EQ(Digest("Download/openwrt.bin"), keptSystem) << "the kept system image is intact";
  }

  testing_support::TempFolder root;
  // Pauses (up to the 96 s reboot wait) run 200 times faster; read time-outs only 4 times,
  // so a slow (sanitized) run still hears the simulator's answers.
  testing_support::FastPausesClock clock{0.25, 0.005};
  firmware::ZKRYFirmwareManager catalogue;
  ScriptedInteraction ui;
  std::string keptVci, keptSystem;
  std::string oldTmp;
};

TEST_F(AdapterFaults, AdapterLostDuringTheWriteIsOfferedTheUpdateAgain) {
  VciSim sim({"--module", "--fw-fail-halfway"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(root / "kry/KRY.ini");
  const auto failed = Update(true, true);
  EXPECT_FALSE(failed.lastRun.ok());
  EXPECT_EQ(failed.status, "Updating VCI firmware ... Failed");
  EXPECT_FALSE(sim.WaitFor("put-file", 100)) << "the module is not touched after a failed write";

  // The next report finds the boot loader and offers the firmware update.
  const device::DeviceReport report = Report();
  ASSERT_EQ(report.rows.size(), 1u);
  EXPECT_EQ(report.rows[0].label, "VCI Boot");
  EXPECT_EQ(report.rows[0].value, "Mode");
  EXPECT_TRUE(report.firmwareUpdate);
  EXPECT_EQ(report.vciPid, 0x0301u);

  // And the firmware window offers the VCI row, ticked, for the kept image.
  device::ZKRYDevice dev;
  auto job = Job(dev);
  job->Start();
  EXPECT_TRUE(job->state().vci.visible);
  EXPECT_TRUE(job->state().vci.ticked);
  ExpectNothingLost();
}

// A drop in the middle of a file is met either by the sending or, when the socket buffers
// already held the rest, by the checksum command after it: both end the update, clearly.
TEST_F(AdapterFaults, ModuleFaultsEndWithTheirMessageAndTheModuleUntouched) {
  const struct {
    const char* name;
    const char* fault;
    std::vector<std::string> lastMessages;  // any one of them
    bool upgradeStarted;
  } cases[] = {
      {"connection dropped during the tool",
       "--module-drop-file",
       {"Trans fwup failed！", "md5sum failed！"},
       false},
      {"connection dropped during the image",
       "--module-drop-image",
       {"Transfer firmware failed！", "md5sum failed！"},
       false},
      {"module never back after the upgrade",
       "--module-never-returns",
       {"Reconnect device failed！"},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui.Clear();
    VciSim sim({"--profile", ORB_SIM_PROFILES "/wifi-module.ini", c.fault});
    ASSERT_TRUE(sim.ok()) << sim.output();
    sim.WriteKryIni(root / "kry/KRY.ini");
    const auto state = Update(false, true);
    EXPECT_FALSE(state.lastRun.ok()) << state.status;
    const auto messages = ui.Texts("message");
    ASSERT_FALSE(messages.empty()) << state.status;
    EXPECT_THAT(c.lastMessages, testing::Contains(messages.back())) << state.status;
    EXPECT_EQ(sim.WaitFor("upgrade_start", 50), c.upgradeStarted)
        << "a module that did not get both files whole is never told to upgrade";
    ExpectNothingLost();
  }
}

}  // namespace
