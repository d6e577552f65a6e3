// The whole DoIP system update against the simulator's module service, through the
// substitute SDK and the device object. Program pauses and the simulator's waits run 500
// times faster; read time-outs run 10 times faster, leaving the service time to answer.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <list>

#include "codec/MD5.h"
#include "core/Log.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/ZKRYDoIPDevice.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/EnvGuard.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/LoggedTest.h"
#include "tests/support/Md5sum.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ShellRun.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::VciSim;

constexpr double kPauseScale = 0.002;

// Time-outs at a tenth of their length (enough for the service to answer on a loaded
// machine), pauses at a five-hundredth.
struct FastPausesClock : testing_support::FastPausesClock {
  FastPausesClock() : testing_support::FastPausesClock(0.1, kPauseScale) {}
};

class DoIPSim : public testing_support::LoggedTest {
 protected:
  platform::Clock& TestClock() override { return clock; }
  void SetUp() override {
    env_.emplace_back("XDG_CONFIG_HOME", temp / "config");
    env_.emplace_back("TMPDIR", temp.path());
    env_.emplace_back("KAVORA_TIME_SCALE", std::to_string(kPauseScale));  // the simulator's
    platform::CreateFolders(temp / "config/kry");
    LoggedTest::SetUp();
    ASSERT_TRUE(device::ZKRYSdk::Instance().Load(ui));

    platform::WriteFile(temp / "release.ini",
                        "[release]\nopenwrt=V1.1.0\nuboot=2020.04\ndevice=DOIPMOD\n"
                        "[checksum]\nopenwrt=abc\n");
    const auto made = testing_support::RunShell(std::string(VCI_SIM_PATH) + " --make-doip-image '" +
                                                (temp / "openwrt.bin") + "' '" +
                                                (temp / "release.ini") + "' 200000");
    ASSERT_EQ(made.code, 0);
    platform::WriteFile(temp / "kry-fwup", "#!/bin/sh\n# update tool\n");
    info.port = firmware::kModulePort;
    info.imagePath = temp / "openwrt.bin";
    info.imageMD5 = *codec::FileMD5Text(info.imagePath);
    info.toolPath = temp / "kry-fwup";
    info.toolChecksum = testing_support::Md5sumOf(info.toolPath);
    info.version = "V1.1.0";  // the release the image carries
  }
  void TearDown() override {
    LoggedTest::TearDown();
    sim.reset();
    env_.clear();
  }

  // Starts the simulator with `faults` and runs the check and the update as the firmware
  // job does.
  bool Update(const std::vector<std::string>& faults) {
    std::vector<std::string> args = {"--profile", ORB_SIM_PROFILES "/wifi-module.ini"};
    args.insert(args.end(), faults.begin(), faults.end());
    sim = std::make_unique<VciSim>(args);
    if (!sim->ok()) return false;
    sim->WriteKryIni(temp / "config/kry/KRY.ini");
    if (dev.Open() != 0 || !dev._ReadHWInfo()) return false;
    info.address = dev.address();
    dev.Close();
    firmware::ZKRYDoIPDevice adapter(dev);
    firmware::ZWSFirmwareUpdate ws(ui, &adapter);
    checked = ws.UpdateFirmware_Check(info).ok();
    const bool updated = checked && ws.UpdateFirmware(info).ok();
    release = ws.release();
    return updated;
  }
  FastPausesClock clock;
  testing_support::ScriptedInteraction ui;
  std::unique_ptr<VciSim> sim;
  device::ZKRYDevice dev;
  firmware::DoIPUpdateInfo info;
  firmware::DoIPReleaseInfo release;
  bool checked = false;

 private:
  std::list<testing_support::EnvGuard> env_;
};

TEST_F(DoIPSim, WholeUpdateFromMountWaitToNewRelease) {
  // A module that takes longer than the reboot wait is still found once it is back.
  ASSERT_TRUE(Update({"--upgrade-ms", "150000"})) << LogText() << sim->output();
  EXPECT_TRUE(ui.Texts("message").empty());
  EXPECT_NE(LogText().find("failed, retry. "), std::string::npos);
  EXPECT_NE(LogText().find("Module version after the update: V1.1.0, expected V1.1.0"),
            std::string::npos);
  EXPECT_EQ(release.openwrt, "V1.1.0");
  EXPECT_EQ(release.checksum, "abc");
  EXPECT_FALSE(dev.connected());
  // The steps and their log lines are the in-memory module's tests; here the real service
  // waited for its mount and took the tool in whole.
  EXPECT_NE(LogText().find("mount_root waiting..."), std::string::npos);
  EXPECT_EQ(platform::ReadFile(sim->sandbox() + "/bin/kry-fwup"),
            platform::ReadFile(info.toolPath));
}

// Each failure through the real channel and the simulator's own module.
TEST_F(DoIPSim, FailureRows) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  struct Case {
    const char* name;
    std::vector<std::string> faults;
    std::function<void(firmware::DoIPUpdateInfo&)> change;
    bool checked;
    std::string message;  // empty: none shown
    std::string logLine;
  } cases[] = {
      {"module unreachable",
       {"--module-refuse"},
       nullptr,
       false,
       "Connect device failed！",
       "Failed on connect device."},
      {"mount state unreadable",
       {"--mount-unreadable"},
       nullptr,
       false,
       "",
       "Failed on get mount_root state."},
      {"tool checksum none",
       {},
       [](auto& i) { i.toolChecksum = "none"; },
       true,
       "Checksum firmware failed！",
       " none"},
      {"lower-case catalogue MD5",
       {},
       [&](auto& i) { i.imageMD5 = lower(i.imageMD5); },
       true,
       "Checksum firmware failed！",
       "Firmware MD5: "},
      // Every file arrives changed, so the tool's digest is the first to differ.
      {"corrupted transfer",
       {"--module-corrupt"},
       nullptr,
       true,
       "Checksum firmware failed！",
       "MD5: "},
      {"module never back",
       {"--module-never-returns"},
       nullptr,
       true,
       "Reconnect device failed！",
       "failed, retry. "},
  };
  const firmware::DoIPUpdateInfo original = info;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui.Clear();
    core::SetUpLog(temp / "Kavora.log");
    info = original;
    if (c.change) c.change(info);
    EXPECT_FALSE(Update(c.faults));
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(ui.Texts("message"),
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    EXPECT_NE(LogText().find(c.logLine), std::string::npos);
    EXPECT_FALSE(dev.connected());
  }
}

}  // namespace
