// The module side of the DoIP system update against a module in memory, on virtual time.
#include <gtest/gtest.h>
#include <unistd.h>

#include "codec/MD5.h"
#include "core/Log.h"
#include "core/ZConfig.h"
#include "firmware/tests/FakeModule.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "tests/support/EnvGuard.h"
#include "tests/support/LoggedTest.h"
#include "tests/support/Md5sum.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TempFolder.h"

namespace {

using firmware::DoIPUpdateInfo;
using fwtest::FakeAdapter;
using fwtest::FakeModule;

using testing_support::LowerHex;

class DoIPUpdate : public testing_support::LoggedTest {
 protected:
  platform::Clock& TestClock() override { return clock; }
  void SetUp() override {
    LoggedTest::SetUp();
    platform::WriteFile(temp / "kry-fwup", "#!/bin/sh\necho tool\n");
    platform::WriteFile(temp / "openwrt.bin", std::string(100000, '\x5a') + "image");
    info.address = "127.0.0.1";
    info.port = "7890";
    info.toolPath = temp / "kry-fwup";
    info.imagePath = temp / "openwrt.bin";
    info.toolChecksum = testing_support::Md5sumOf(info.toolPath);
    info.imageMD5 = *codec::FileMD5Text(info.imagePath);
  }
  int LogCount(const std::string& line) {
    const std::string text = LogText();
    int n = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  }

  fwtest::VirtualClock clock;
  testing_support::EnvGuard tempDir_{"TMPDIR", temp.path()};
  testing_support::ScriptedInteraction ui;
  FakeAdapter adapter;
  FakeModule module{ui, &adapter};
  DoIPUpdateInfo info;
};

TEST_F(DoIPUpdate, WholeUpdateFromMountWaitToNewRelease) {
  module.mountStates = {"1\n", "1\n"};
  adapter.connected = true;
  ASSERT_TRUE(module.UpdateFirmware_Check(info));
  EXPECT_EQ(clock.now(), 2000);
  ASSERT_TRUE(module.UpdateFirmware(info));

  const std::string mount = "ps | grep mount_root | grep -v grep | wc -l";
  const std::vector<std::string> expected = {"connect 127.0.0.1:7890",
                                             mount,
                                             mount,
                                             mount,
                                             "connect 127.0.0.1:7890",
                                             "cat /etc/release",
                                             "put kry-fwup /bin/kry-fwup",
                                             "chmod 777 /bin/kry-fwup",
                                             "md5sum /bin/kry-fwup",
                                             "put openwrt.bin /tmp/firmware.bin",
                                             "md5sum /tmp/firmware.bin",
                                             "ubus call rpc-sys upgrade_start",
                                             "connect 127.0.0.1:7890",
                                             "connect 127.0.0.1:7890",
                                             "connect 127.0.0.1:7890",
                                             "connect 127.0.0.1:7890",  // back after three refusals
                                             "connect 127.0.0.1:7890",
                                             "cat /etc/release"};
  EXPECT_EQ(module.log, expected);
  EXPECT_EQ(module.files["/bin/kry-fwup"], *platform::ReadFile(info.toolPath));
  EXPECT_EQ(module.files["/tmp/firmware.bin"], *platform::ReadFile(info.imagePath));
  // 500 ms after the image, 96 s of reboot, three retries a second apart, 5 s before the read.
  EXPECT_EQ(clock.now(), 2000 + 500 + 96000 + 3000 + 5000);
  EXPECT_TRUE(ui.shown().empty());
  EXPECT_FALSE(adapter.connected);
  EXPECT_EQ(adapter.opens, 1);
  EXPECT_FALSE(module.HasChannel());

  EXPECT_EQ(module.release().openwrt, "22.03.5");
  EXPECT_EQ(module.release().uboot, "2020.04");
  EXPECT_EQ(module.release().device, "KRY-DoIP");
  EXPECT_EQ(module.release().checksum, "fedcba9876543210");
  EXPECT_EQ(platform::ReadFile(temp / "kry_openwrt.ini"), module.releaseTextAfterReboot);

  EXPECT_EQ(LogCount("mount_root waiting..."), 2);
  EXPECT_EQ(LogCount("mount_root finished."), 1);
  EXPECT_EQ(LogCount("MD5: " + info.toolChecksum + " " + info.toolChecksum), 1);
  EXPECT_EQ(LogCount("Firmware MD5: " + info.imageMD5 + " " + info.imageMD5), 1);
  EXPECT_EQ(LogCount("device IP is 127.0.0.1."), 1);
  EXPECT_EQ(LogCount("Execute upgrade command, start firware update. "), 1);
  EXPECT_EQ(LogCount("Wait device reboot complete "), 1);
  EXPECT_EQ(LogCount("try connect devcie ..."), 4);
  EXPECT_EQ(LogCount("failed, retry. "), 3);
  EXPECT_EQ(LogCount("okay, update complete."), 1);
}

TEST_F(DoIPUpdate, ModuleBackOnTheAddressTheAdapterNowReports) {
  adapter.addressAfterReboot = module.addressAfterReboot = "127.0.0.2";
  ASSERT_TRUE(module.UpdateFirmware(info));
  EXPECT_EQ(module.log.back(), "cat /etc/release");
  EXPECT_EQ(module.log[module.log.size() - 2], "connect 127.0.0.2:7890");
}

using Arrange = std::function<void(FakeModule&, FakeAdapter&, DoIPUpdateInfo&)>;

TEST_F(DoIPUpdate, MountCheckOutcomes) {
  struct Case {
    const char* name;
    Arrange arrange;
    bool result;
    std::int64_t waited;
    std::string message;
    std::string logLine;
  } cases[] = {
      {"finished at once", [](auto&, auto&, auto&) {}, true, 0, "", "mount_root finished."},
      {"another first character repeats the poll",
       [](FakeModule& m, auto&, auto&) { m.mountStates = {"x\n"}; }, true, 1000, "",
       "mount_root finished."},
      {"keeps mounting", [](FakeModule& m, auto&, auto&) { m.lastMountState = "1\n"; }, true,
       500 * 1000, "", "mount_root waiting..."},
      // Replies of almost a minute each: the check goes on at its 25-minute worst case.
      {"keeps mounting, slowly",
       [](FakeModule& m, auto&, auto&) {
         m.lastMountState = "1\n";
         m.mountReplyMs = 58000;
       },
       true, 26 * 59000, "", "going on."},
      {"module unreachable", [](FakeModule& m, auto&, auto&) { m.reachable = false; }, false, 0,
       "Connect device failed！", "Failed on connect device."},
      {"mount state unreadable", [](FakeModule& m, auto&, auto&) { m.lastMountState = ""; }, false,
       0, "", "Failed on get mount_root state."},
  };
  for (const auto& c : cases) {
    FakeModule m(ui, &adapter);
    ui.Clear();
    core::SetUpLog(temp / "Kavora.log");
    const std::int64_t start = clock.now();
    c.arrange(m, adapter, info);
    EXPECT_EQ(m.UpdateFirmware_Check(info).ok(), c.result) << c.name;
    EXPECT_EQ(clock.now() - start, c.waited) << c.name;
    EXPECT_EQ(ui.Texts("message"),
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.name;
    EXPECT_GE(LogCount(c.logLine), 1) << c.name;
  }
}

TEST_F(DoIPUpdate, EveryFailureOfTheUpdateEndsWithItsMessage) {
  using Stage = firmware::FirmwareStage;
  struct Case {
    const char* name;
    Stage stage;
    Arrange arrange;
    std::string message;
    std::string logLine;
    bool closesAdapter;
    std::int64_t waitedAtMost = -1;  // program time, when it matters
  } cases[] = {
      {"module unreachable", Stage::ModuleConnect,
       [](FakeModule& m, auto&, auto&) { m.reachable = false; }, "Connect device failed！", "",
       false},
      {"release unreadable before", Stage::ModuleConnect,
       [](FakeModule& m, auto&, auto&) { m.releaseFails = true; }, "Get device version failed！",
       "failed on get device release version.", true},
      {"tool transfer fails", Stage::UploadTool,
       [](FakeModule& m, auto&, auto&) { m.failPutFileTo = "/bin/kry-fwup"; },
       "Trans fwup failed！", "Failed on trans kry-fwup file.", true},
      {"digest missing", Stage::UploadTool,
       [](FakeModule& m, auto&, auto&) { m.md5sumPrintsNothing = true; }, "md5sum failed！", "",
       false},
      {"tool checksum none", Stage::UploadTool,
       [](auto&, auto&, DoIPUpdateInfo& i) { i.toolChecksum = "none"; },
       "Checksum firmware failed！", " none", false},
      {"tool checksum too short", Stage::UploadTool,
       [](auto&, auto&, DoIPUpdateInfo& i) { i.toolChecksum.resize(20); },
       "Checksum firmware failed！", "MD5: ", false},
      {"lower-case catalogue MD5", Stage::UploadImage,
       [](auto&, auto&, DoIPUpdateInfo& i) { i.imageMD5 = LowerHex(i.imageMD5); },
       "Checksum firmware failed！", "Firmware MD5: ", false},
      {"corrupted transfer", Stage::UploadImage,
       [](FakeModule& m, auto&, auto&) { m.corruptPutFileTo = "/tmp/firmware.bin"; },
       "Checksum firmware failed！", "Firmware MD5: ", false},
      {"image transfer fails", Stage::UploadImage,
       [](FakeModule& m, auto&, auto&) { m.failPutFileTo = "/tmp/firmware.bin"; },
       "Transfer firmware failed！", "", true},
      {"adapter cannot be reopened", Stage::ModuleBack,
       [](auto&, FakeAdapter& a, auto&) { a.openResult = 4; }, "", "Reconnect device failed ",
       true},
      {"module never back", Stage::ModuleBack,
       [](FakeModule& m, auto&, auto&) { m.rebootAttempts = 1000; }, "Reconnect device failed！",
       "failed, retry. ", true},
      {"release unreadable after the reboot", Stage::VersionCheck,
       [](FakeModule& m, auto&, auto&) { m.releaseFailsAfterReboot = true; },
       "Get update version failed！", "failed on get device release version.", true},
      // A refused upgrade starts no reboot: nothing to wait for.
      {"upgrade refused", Stage::Upgrade,
       [](FakeModule& m, auto&, auto&) { m.upgradeReply = "Command failed: Permission denied\n"; },
       "The module refused the upgrade: Command failed: Permission denied",
       "The module refused the upgrade: Command failed: Permission denied", true, 10000},
  };
  const DoIPUpdateInfo good = info;
  for (const auto& c : cases) {
    FakeAdapter a;
    a.connected = true;
    FakeModule m(ui, &a);
    DoIPUpdateInfo i = good;
    ui.Clear();
    core::SetUpLog(temp / "Kavora.log");
    c.arrange(m, a, i);
    const std::int64_t start = clock.now();
    const firmware::FirmwareResult result = m.UpdateFirmware(i);
    EXPECT_EQ(result.stage, c.stage) << c.name;
    EXPECT_EQ(result.reason, c.message) << c.name;
    if (c.waitedAtMost >= 0) {
      EXPECT_LE(clock.now() - start, c.waitedAtMost) << c.name;
    }
    EXPECT_EQ(ui.Texts("message"),
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.name;
    for (const auto& s : ui.shown()) EXPECT_EQ(s.icon, core::MessageIcon::Error) << c.name;
    if (!c.logLine.empty()) {
      EXPECT_GE(LogCount(c.logLine), 1) << c.name << "\n" << LogText();
    }
    EXPECT_EQ(!a.connected, c.closesAdapter) << c.name;
    // The module that never came back was tried 256 times and once more.
    if (m.rebootAttempts == 1000) {
      EXPECT_EQ(LogCount("try connect devcie ..."), 256);
    }
  }
}

TEST_F(DoIPUpdate, RecordTakesTheConfiguredToolAndChecksum) {
  ASSERT_TRUE(core::ZConfig::Instance().LoadFrom(temp.path()));
  const auto made = DoIPUpdateInfo::Make(std::string(40, '1'), "ABC", temp / "openwrt.bin");
  EXPECT_EQ(made.address, std::string(31, '1'));
  EXPECT_EQ(made.port, "7890");
  EXPECT_EQ(made.imageMD5, "ABC");
  EXPECT_EQ(made.toolPath, platform::JoinPath(temp.path(), "kry-fwup"));
  EXPECT_EQ(made.toolChecksum, "none");
}

TEST(DoIPDigests, OnlyWholeDigestsMatch) {
  const std::string d = "d41d8cd98f00b204e9800998ecf8427e";
  struct Case {
    std::string a, b;
    bool match;
  } cases[] = {
      {d, d, true},
      {d + "  /bin/kry-fwup", d, true},  // the first 32 decide
      {d, "D41D8CD98F00B204E9800998ECF8427E", false},
      {"none", "none", false},
      {d.substr(0, 31), d.substr(0, 31), false},
      {"", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(firmware::DigestsMatch(c.a, c.b), c.match) << c.a;
}

TEST_F(DoIPUpdate, ReleaseValuesAreCutAndTheFileReplaced) {
  // A link planted at the name is replaced, not written through.
  const std::string victim = temp.Put("victim.ini", "[release]\nopenwrt=stale old file content\n");
  ::symlink(victim.c_str(), (temp / "kry_openwrt.ini").c_str());
  module.releaseText = "[release]\nopenwrt=" + std::string(40, '7') + "\n[checksum]\nopenwrt=c\n";
  ASSERT_TRUE(module.Connect("127.0.0.1", "7890"));
  firmware::DoIPReleaseInfo release{"x", "y", "z", "w"};
  ASSERT_TRUE(module.GetDeviceDoIPFWVersion(&release));
  EXPECT_EQ(release.openwrt, std::string(31, '7'));
  EXPECT_EQ(release.uboot, "");
  EXPECT_EQ(release.device, "");
  EXPECT_EQ(release.checksum, "c");
  EXPECT_EQ(platform::ReadFile(temp / "kry_openwrt.ini"), module.releaseText);
  EXPECT_EQ(platform::ReadFile(victim), "[release]\nopenwrt=stale old file content\n");
}

}  // namespace
