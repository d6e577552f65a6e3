// The module side of the DoIP system update against a module in memory, on virtual time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <tuple>

#include "codec/MD5.h"
#include "firmware/tests/FakeModule.h"
#include "platform/Files.h"
#include "tests/support/EnvGuard.h"
#include "tests/support/LoggedTest.h"
#include "tests/support/Md5sum.h"
#include "tests/support/ScriptedInteraction.h"

namespace {

using firmware::DoIPUpdateInfo;
using fwtest::FakeAdapter;
using fwtest::FakeModule;

using Strings = std::vector<std::string>;

class DoIPUpdate : public testing_support::LoggedTest {
 protected:
  platform::Clock& TestClock() override { return clock; }
  void SetUp() override {
    LoggedTest::SetUp();
    info.address = "127.0.0.1";
    info.port = "7890";
    info.toolPath = temp.Put("kry-fwup", "#!/bin/sh\necho tool\n");
    info.imagePath = temp.Put("openwrt.bin", std::string(100000, '\x5a') + "image");
    info.toolChecksum = testing_support::Md5sumOf(info.toolPath);
    info.imageMD5 = *codec::FileMD5Text(info.imagePath);
  }
  fwtest::VirtualClock clock;
  testing_support::EnvGuard tempDir_{"TMPDIR", temp.path()};
  testing_support::ScriptedInteraction ui;
  FakeAdapter adapter;
  FakeModule module{ui, &adapter};
  DoIPUpdateInfo info;
};

// The module comes back on the address the adapter reports after the reboot.
TEST_F(DoIPUpdate, WholeUpdateFromMountWaitToNewRelease) {
  module.mountStates = {"1\n", "1\n"};
  adapter.connected = true;
  adapter.addressAfterReboot = module.addressAfterReboot = "127.0.0.2";
  ASSERT_TRUE(module.UpdateFirmware_Check(info));
  EXPECT_EQ(clock.NowMs(), 2000);
  ASSERT_TRUE(module.UpdateFirmware(info));

  std::string log;
  for (const auto& line : module.log) log += line + "\n";
  const std::string mount = "ps | grep mount_root | grep -v grep | wc -l\n";
  const std::string connect = "connect 127.0.0.1:7890\n", back = "connect 127.0.0.2:7890\n";
  // The module is back after three refused connects.
  EXPECT_EQ(log, connect + mount + mount + mount + connect +
                     "cat /etc/release\nput kry-fwup /bin/kry-fwup\nchmod 777 /bin/kry-fwup\n"
                     "md5sum /bin/kry-fwup\nput openwrt.bin /tmp/firmware.bin\n"
                     "md5sum /tmp/firmware.bin\nubus call rpc-sys upgrade_start\n" +
                     back + back + back + back + back + "cat /etc/release\n");
  EXPECT_EQ(module.files, (std::map<std::string, std::string>{
                              {"/bin/kry-fwup", *platform::ReadFile(info.toolPath)},
                              {"/tmp/firmware.bin", *platform::ReadFile(info.imagePath)}}));
  // 500 ms after the image, 96 s of reboot, three retries a second apart, 5 s before the read.
  EXPECT_EQ(clock.NowMs(), 2000 + 500 + 96000 + 3000 + 5000);
  EXPECT_EQ(std::make_tuple(ui.shown().size(), adapter.connected, adapter.opens,
                            module.HasChannel(), module.release().openwrt),
            std::make_tuple(0u, false, 1, false, std::string("22.03.5")));
  EXPECT_EQ(platform::ReadFile(temp / "kry_openwrt.ini"), module.releaseTextAfterReboot);
}

// A module that keeps polling ends the check after its last poll, or, with replies of almost
// a minute each, at its 25-minute worst case.
TEST_F(DoIPUpdate, MountCheckWaitsWithinItsBound) {
  const struct { std::int64_t replyMs, waited; } cases[] = {{0, 500L * 1000}, {58000, 26L * 59000}};
  for (const auto& c : cases) {
    FakeModule m(ui, &adapter);
    m.lastMountState = "1\n";
    m.mountReplyMs = c.replyMs;
    const std::int64_t start = clock.NowMs();
    EXPECT_TRUE(m.UpdateFirmware_Check(info).ok());
    EXPECT_EQ(clock.NowMs() - start, c.waited);
    EXPECT_EQ(ui.Texts("message"), Strings{});
  }
}

TEST_F(DoIPUpdate, EveryFailureOfTheUpdateEndsWithItsMessage) {
  using Stage = firmware::FirmwareStage;
  using Arrange = std::function<void(FakeModule&, FakeAdapter&, DoIPUpdateInfo&)>;
  const std::tuple<Stage, std::string, bool, Arrange> cases[] = {
      {Stage::ModuleConnect, "Get device version failed！", true,
       [](FakeModule& m, auto&, auto&) { m.releaseFails = true; }},
      {Stage::UploadTool, "Trans fwup failed！", true,
       [](FakeModule& m, auto&, auto&) { m.failPutFileTo = "/bin/kry-fwup"; }},
      {Stage::UploadTool, "md5sum failed！", false,
       [](FakeModule& m, auto&, auto&) { m.md5sumPrintsNothing = true; }},
      {Stage::UploadImage, "Checksum firmware failed！", false,  // another image's MD5
       [](auto&, auto&, DoIPUpdateInfo& i) { i.imageMD5 = std::string(32, '0'); }},
      {Stage::UploadImage, "Transfer firmware failed！", true,
       [](FakeModule& m, auto&, auto&) { m.failPutFileTo = "/tmp/firmware.bin"; }},
      {Stage::ModuleBack, "", true, [](auto&, FakeAdapter& a, auto&) { a.openResult = 4; }},
      {Stage::VersionCheck, "Get update version failed！", true,
       [](FakeModule& m, auto&, auto&) { m.releaseFailsAfterReboot = true; }},
  };
  for (const auto& [stage, message, closesAdapter, arrange] : cases) {
    SCOPED_TRACE(message);
    FakeAdapter a;
    a.connected = true;
    FakeModule m(ui, &a);
    DoIPUpdateInfo i = info;
    ui.Clear();
    arrange(m, a, i);
    const firmware::FirmwareResult result = m.UpdateFirmware(i);
    EXPECT_EQ(std::make_tuple(result.stage, result.reason, !a.connected),
              std::make_tuple(stage, message, closesAdapter));
    EXPECT_EQ(ui.Texts("message"), message.empty() ? Strings{} : Strings{message});
    for (const auto& s : ui.shown()) EXPECT_EQ(s.icon, core::MessageIcon::Error);
  }
}

TEST_F(DoIPUpdate, ReleaseValuesAreCutAndTheFileReplaced) {
  // A link planted at the name is replaced, not written through.
  const std::string victim = temp.Put("victim.ini", "[release]\nopenwrt=stale old file content\n");
  ::symlink(victim.c_str(), (temp / "kry_openwrt.ini").c_str());
  module.releaseText = "[release]\nopenwrt=" + std::string(40, '7') + "\n[checksum]\nopenwrt=c\n";
  ASSERT_TRUE(module.Connect("127.0.0.1", "7890"));
  firmware::DoIPReleaseInfo release{"x", "y", "z", "w"};
  ASSERT_TRUE(module.GetDeviceDoIPFWVersion(&release));
  EXPECT_EQ(release.openwrt + "|" + release.uboot + "|" + release.device + "|" + release.checksum,
            std::string(31, '7') + "|||c");
  EXPECT_EQ(platform::ReadFile(temp / "kry_openwrt.ini"), module.releaseText);
  EXPECT_EQ(platform::ReadFile(victim), "[release]\nopenwrt=stale old file content\n");
}

}  // namespace
