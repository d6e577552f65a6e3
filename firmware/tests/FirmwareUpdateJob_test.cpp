// The firmware update job and the device reset against the adapter simulator, with the
// clock scaled so the fixed waits take milliseconds.
#include "firmware/FirmwareUpdateJob.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>

#include "core/ProgramTexts.h"
#include "core/ZCommSettings.h"
#include "device/DeviceOPThread.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/DeviceReset.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::ScriptedInteraction;
using testing_support::VciSim;

class FirmwareJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    ::setenv("KAVORA_TIME_SCALE", "0.02", 1);
    platform::SetClock(&clock);
    platform::CreateFolders(root / "kry");
    platform::CreateFolders(root / "Download");
    ScriptedInteraction quiet;
    ASSERT_TRUE(device::ZKRYSdk::Instance().Load(quiet));
    // The images the catalogue offers, kept from an earlier fetch (offline here).
    ASSERT_TRUE(testing_support::WriteKeptFirmware(root / "Download", true));
    ASSERT_TRUE(catalogue.Load(root / "Download/fws.xml"));
    core::ZConfig& config = core::ZConfig::Instance();
    config.root = root.path();
    config.KRYFwUp = root / "kry-fwup";
    config.KRYFwUpCheckSum = testing_support::WriteModuleTool(config.KRYFwUp);
    config.OEMString.clear();
  }
  void TearDown() override { platform::SetClock(nullptr); }

  // A simulator with `arguments`, the SDK settings pointing at it.
  std::unique_ptr<VciSim> Sim(std::vector<std::string> arguments) {
    auto sim = std::make_unique<VciSim>(std::move(arguments));
    if (sim->ok()) sim->WriteKryIni(root / "kry/KRY.ini");
    return sim;
  }
  // Starts a job on `dev` and runs the update as the button does, with only the module's
  // row ticked when `moduleOnly`.
  std::unique_ptr<firmware::FirmwareUpdateJob> Update(device::ZKRYDevice& dev,
                                                      bool moduleOnly = false) {
    auto job = Job(dev);
    job->Start();
    if (moduleOnly) job->SetTicks(false, true);
    EXPECT_TRUE(job->RequestUpdate());
    job->WaitIdle();
    return job;
  }
  std::unique_ptr<firmware::FirmwareUpdateJob> Job(device::ZKRYDevice& dev) {
    firmware::FirmwareJobSetup setup{
        dev, catalogue, core::ZConfig::Instance(), {root / "Download", false}, ui, 0x0301, 0x0401};
    auto job = std::make_unique<firmware::FirmwareUpdateJob>(setup);
    job->SetObserver([this, j = job.get()] {
      const auto s = j->state();
      if (s.progressMaximum != 120) return;
      if (s.progress > 0 && s.progress < 120) ++vciBarsBetween;
      int seen = maxVciBar.load();
      while (s.progress > seen && !maxVciBar.compare_exchange_weak(seen, s.progress)) {
      }
    });
    return job;
  }
  std::string Profile(const std::string& text) {
    platform::WriteFile(root / "profile.ini", text);
    return root / "profile.ini";
  }

  testing_support::TempFolder root;
  // Read time-outs at a fifth (1 s lasts 200 ms, enough for a loaded machine or a simulator
  // under ThreadSanitizer), pauses at a fiftieth like the simulator's.
  testing_support::FastPausesClock clock{0.2, 0.02};
  firmware::ZKRYFirmwareManager catalogue;
  ScriptedInteraction ui;
  std::atomic<int> maxVciBar{0};       // the observer runs on the worker and the progress thread
  std::atomic<int> vciBarsBetween{0};  // bars seen between empty and full: the write's counter
};

TEST_F(FirmwareJobTest, UpdatesTheVciAndThenTheModule) {
  auto sim = Sim({"--module", "--firmware-write-ms", "20000", "--upgrade-ms", "20000"});
  ASSERT_TRUE(sim->ok()) << sim->output();
  device::ZKRYDevice dev;
  auto job = Job(dev);
  job->Start();
  auto s = job->state();
  ASSERT_TRUE(s.vci.visible && s.system.visible);
  EXPECT_EQ(s.vci.name, "VCI firmware");
  EXPECT_EQ(s.vci.currentVersion, "1.2.3.4");
  EXPECT_EQ(s.vci.newVersion, "2.0.0.0");
  EXPECT_TRUE(s.vci.ticked);
  EXPECT_EQ(s.system.currentVersion, "V1.0.3");
  EXPECT_TRUE(s.system.ticked);

  ASSERT_TRUE(job->RequestUpdate());
  EXPECT_FALSE(job->RequestClose()) << "closing is refused while busy";
  job->WaitIdle();
  s = job->state();
  EXPECT_TRUE(s.lastRun.ok()) << s.status;
  EXPECT_EQ(maxVciBar, 120);
  EXPECT_GT(vciBarsBetween, 0) << "the bar follows the write, not only its end";
  // The rows are read again: both parts now run the catalogue's versions.
  EXPECT_EQ(s.vci.currentVersion, "2.0.0.0");
  EXPECT_FALSE(s.vci.ticked);
  EXPECT_EQ(s.system.currentVersion, "V1.1.0");
  EXPECT_FALSE(s.system.ticked);
  const auto statuses = ui.Texts("status");
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), core::Text(core::TextId::kUpdateCompleted)),
            statuses.end());
  EXPECT_TRUE(ui.Texts("tip").empty()) << "12.34 V asks nothing";
  EXPECT_TRUE(job->RequestClose());
  EXPECT_FALSE(dev.connected());
}

// The voltage rule itself is the device's; here: a cancelled question ends the run closed.
TEST_F(FirmwareJobTest, LowVoltageQuestionCancelled) {
  auto sim = Sim({"--profile", Profile("[Adapter]\nVoltage=8999\n")});
  ASSERT_TRUE(sim->ok()) << sim->output();
  device::ZKRYDevice dev;
  ui.Answer({false});
  auto job = Update(dev);
  EXPECT_EQ(ui.Texts("tip"),
            std::vector<std::string>{core::Text(core::TextId::kLowVoltageQuestion)});
  EXPECT_EQ(job->state().lastRun.stage, firmware::FirmwareStage::LowVoltage);
  EXPECT_EQ(job->state().lastRun.reason, core::Text(core::TextId::kLowVoltageQuestion));
  EXPECT_FALSE(dev.connected());
}

TEST_F(FirmwareJobTest, AFailedVciWriteStopsBeforeTheModule) {
  auto sim = Sim({"--module", "--fw-fail-halfway"});
  ASSERT_TRUE(sim->ok()) << sim->output();
  device::ZKRYDevice dev;
  const auto s = Update(dev)->state();
  EXPECT_EQ(s.lastRun.stage, firmware::FirmwareStage::WriteVci);
  EXPECT_EQ(s.status, "Updating VCI firmware ... Failed");
  EXPECT_FALSE(sim->WaitFor("put-file", 200)) << "the module was not touched";
  const auto statuses = ui.Texts("status");
  EXPECT_EQ(std::find(statuses.begin(), statuses.end(), core::Text(core::TextId::kUpdateCompleted)),
            statuses.end());
  EXPECT_FALSE(dev.connected()) << "the adapter is closed on the failure path too";
}

TEST_F(FirmwareJobTest, OnlyTheModuleRowTicked) {
  auto sim = Sim({"--module", "--upgrade-ms", "20000"});
  ASSERT_TRUE(sim->ok()) << sim->output();
  device::ZKRYDevice dev;
  const auto s = Update(dev, true)->state();
  EXPECT_TRUE(s.lastRun.ok()) << s.status << "\n"
                              << sim->output() << [&] {
                                   std::string all;
                                   for (const auto& l : sim->Record()) all += l + "\n";
                                   for (const auto& m : ui.shown())
                                     all += m.kind + ": " + m.text + "\n";
                                   return all;
                                 }();
  EXPECT_EQ(s.vci.currentVersion, "1.2.3.4") << "the VCI was left alone";
  EXPECT_EQ(s.system.currentVersion, "V1.1.0");
  EXPECT_EQ(maxVciBar, 0);
}

// A module that refuses the upgrade, or comes back with its old system: the run fails with
// its message, the bar stays where the update stopped and the rows keep the old version.
TEST_F(FirmwareJobTest, AModuleUpdateThatDidNotHappenFailsTheRun) {
  const struct {
    const char* fault;
    const char* message;
    firmware::FirmwareStage stage;
  } cases[] = {
      {"--upgrade-refused", "The module refused the upgrade: Command failed: Permission denied",
       firmware::FirmwareStage::Upgrade},
      {"--comes-back-old", "After the update the module reports version V1.0.3 instead of V1.1.0.",
       firmware::FirmwareStage::VersionCheck},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    ui.Clear();
    auto sim = Sim({"--module", "--upgrade-ms", "20000", c.fault});
    ASSERT_TRUE(sim->ok()) << sim->output();
    device::ZKRYDevice dev;
    const auto s = Update(dev, true)->state();
    EXPECT_EQ(s.lastRun.stage, c.stage);
    EXPECT_EQ(s.lastRun.reason, c.message);
    EXPECT_EQ(s.status, "Updating system firmware ... Failed");
    EXPECT_EQ(ui.Texts("message"), std::vector<std::string>{c.message});
    EXPECT_EQ(s.progressMaximum, 412);
    EXPECT_GT(s.progress, 0);
    EXPECT_LT(s.progress, 412);
    EXPECT_EQ(s.system.currentVersion, "V1.0.3");
    EXPECT_FALSE(dev.connected());
  }
}

TEST_F(FirmwareJobTest, NothingToOfferAndNothingTicked) {
  auto sim = Sim({"--profile", Profile("[Adapter]\nPID=0x0999\n")});
  ASSERT_TRUE(sim->ok()) << sim->output();
  device::ZKRYDevice dev;
  auto job = Job(dev);
  job->Start();
  EXPECT_FALSE(job->state().vci.visible);
  EXPECT_EQ(job->state().status, "None firmware found, please contact OrbDiag.");
  EXPECT_FALSE(job->RequestUpdate());
  EXPECT_FALSE(dev.connected());
}

TEST_F(FirmwareJobTest, AMissingOrForeignKeptImageIsNeverWritten) {
  for (bool missing : {true, false}) {
    auto sim = Sim({});
    ASSERT_TRUE(sim->ok()) << sim->output();
    const std::string image = root / "Download/KRY.bin";
    if (missing)
      std::remove(image.c_str());
    else
      platform::WriteFile(image, "an image for another adapter");
    device::ZKRYDevice dev;
    ui.Clear();
    const auto s = Update(dev)->state();
    EXPECT_EQ(s.lastRun.stage, firmware::FirmwareStage::DownloadVciImage) << missing;
    EXPECT_FALSE(sim->WaitFor("firmware write", 100)) << missing;
    EXPECT_FALSE(dev.connected()) << "the adapter is closed again, missing=" << missing;
  }
}

TEST_F(FirmwareJobTest, OpeningOfflineWarnsUnlessConfiguredOffline) {
  auto sim = Sim({});
  ASSERT_TRUE(sim->ok()) << sim->output();
  core::ZCommSettings comm(root / "kry/KRY.ini");
  ASSERT_TRUE(comm.Load());
  core::ZConfig& config = core::ZConfig::Instance();
  struct Case {
    bool online, configuredOffline, warned;
  } cases[] = {{true, false, false}, {false, false, true}, {false, true, false}};
  for (const auto& c : cases) {
    config.OfflineMode = c.configuredOffline;
    device::ZKRYDevice dev;
    ui.Clear();
    EXPECT_TRUE(firmware::MayOpenFirmwareWindow(ui, dev, comm, config, c.online));
    const auto messages = ui.Texts("message");
    EXPECT_EQ(!messages.empty(), c.warned) << c.online << c.configuredOffline;
    if (c.warned) {
      EXPECT_EQ(messages[0], "Offline! Download new Firmware failed!");
      EXPECT_EQ(ui.shown()[0].caption, "Warning");
    }
    EXPECT_FALSE(dev.connected());
  }
  config.OfflineMode = false;
}

TEST_F(FirmwareJobTest, OnlyWebAddressesOfTheCatalogueAreOpened) {
  auto sim = Sim({});
  ASSERT_TRUE(sim->ok()) << sim->output();
  ::setenv("ORB_OPEN_COMMAND", "/bin/true", 1);
  struct Case {
    const char* url;
    bool opened;
  } cases[] = {{"http://127.0.0.42/log.txt", true},
               {"HTTPS://127.0.0.42/log", true},
               {"file:///etc/passwd", false},
               {"javascript:alert(1)", false},
               {"http://", false},
               {"http:///etc/passwd", false}};
  for (const auto& c : cases) {
    const std::string fws = root / "links.xml";
    platform::WriteFile(fws, std::string("<FWS><ITEM><ID>1</ID><PID>769</PID><NAME>VCI</NAME>"
                                         "<VERSION>2.0.0.0</VERSION><MD5>0</MD5><URL>"
                                         "http://127.0.0.1:1/KRY.bin</URL><UPDATELOGURL>") +
                                 c.url + "</UPDATELOGURL></ITEM></FWS>");
    firmware::ZKRYFirmwareManager links;
    ASSERT_TRUE(links.Load(fws));
    device::ZKRYDevice dev;
    firmware::FirmwareJobSetup setup{
        dev, links, core::ZConfig::Instance(), {root / "Download", false}, ui, 0x0301, 0x0401};
    firmware::FirmwareUpdateJob job(setup);
    job.Start();
    EXPECT_EQ(job.OpenVciLog(), c.opened) << c.url;
    EXPECT_TRUE(job.RequestClose());
  }
  ::unsetenv("ORB_OPEN_COMMAND");
}

TEST_F(FirmwareJobTest, ResetWithAndWithoutModule) {
  device::DeviceOPThread operations;
  ASSERT_TRUE(operations.Start());
  for (bool module : {false, true}) {
    auto sim = Sim(module ? std::vector<std::string>{"--module"} : std::vector<std::string>{});
    ASSERT_TRUE(sim->ok()) << sim->output();
    device::ZKRYDevice dev;
    ui.Clear();
    int refreshed = 0;
    std::string picture;
    firmware::ResetContext ctx{ui, operations, [&](const std::string& p) { picture = p; },
                               [&] { ++refreshed; }};
    const auto outcome = firmware::HWReset(&dev, ctx);
    EXPECT_TRUE(outcome.reset);
    EXPECT_EQ(outcome.moduleStep, module);
    EXPECT_EQ(outcome.rebootSent, module);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(picture, "conn_unknow.png");
    EXPECT_TRUE(sim->WaitFor("reset"));
    std::vector<std::string> steps;
    for (const auto& s : ui.shown())
      if (s.kind == "progresswindow")
        steps.push_back(s.windowName + " " + s.caption + " " + s.text);
    if (module)
      EXPECT_EQ(steps, (std::vector<std::string>{"HWRSTWND Reset Device Restart comm module",
                                                 "HWRESETTIP Reset Device Restart system"}));
    else
      EXPECT_EQ(steps, std::vector<std::string>{"HWRSTWND Reset Device Restart comm module"});
    EXPECT_FALSE(dev.connected());
  }
  // Refused or cancelled: nothing is reset, the report stays, the adapter is closed again.
  struct Refusal {
    std::vector<std::string> simArgs;
    std::string tip;
  };
  for (const Refusal& r : {Refusal{{"--held"}, core::Text(core::TextId::kResetInUseQuestion)},
                           Refusal{{}, core::Text(core::TextId::kResetQuestion)}}) {
    auto sim = Sim(r.simArgs);
    ASSERT_TRUE(sim->ok());
    device::ZKRYDevice dev;
    ui.Clear();
    if (r.tip == core::Text(core::TextId::kResetQuestion)) ui.Answer({false});
    int refreshed = 0;
    firmware::ResetContext ctx{ui, operations, nullptr, [&] { ++refreshed; }};
    EXPECT_FALSE(firmware::HWReset(&dev, ctx).reset);
    EXPECT_EQ(ui.Texts("tip"), std::vector<std::string>{r.tip});
    EXPECT_EQ(refreshed, 0);
    EXPECT_FALSE(dev.connected());
    EXPECT_FALSE(sim->Recorded("reset"));
  }
  operations.Stop();
}

}  // namespace
