// The firmware update job and the device reset against the adapter simulator, with the
// clock scaled so the fixed waits take milliseconds. Faults in the middle of the work end
// the run with their message and leave the kept images as they were.
#include "firmware/FirmwareUpdateJob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <tuple>

#include "core/ProgramTexts.h"
#include "core/ZCommSettings.h"
#include "device/DeviceOPThread.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/DeviceReset.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/EnvGuard.h"
#include "tests/support/FastPausesClock.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::EnvGuard;
using testing_support::ScriptedInteraction;
using testing_support::VciSim;
using Strings = std::vector<std::string>;

// Both rows as "name current new", with " ticked" when they are.
std::string Rows(const firmware::FirmwareJobState& s) {
  std::string rows;
  for (const auto* r : {&s.vci, &s.system})
    rows += "|" + r->name + " " + r->currentVersion + " " + r->newVersion +
            (r->ticked ? " ticked" : "");
  return rows.substr(1);
}

class FirmwareJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("SystemRoot");
    ::unsetenv("windir");
    platform::SetClock(&clock);
    platform::CreateFolders(root / "kry");
    platform::CreateFolders(root / "Download");
    ScriptedInteraction quiet;
    ASSERT_TRUE(device::ZKRYSdk::Instance().Load(quiet));
    // The images the catalogue offers, kept from an earlier fetch (offline here).
    ASSERT_TRUE(testing_support::WriteKeptFirmware(root / "Download", true));
    ASSERT_TRUE(catalogue.Load(root / "Download/fws.xml"));
    for (const char* image : {"Download/KRY.bin", "Download/openwrt.bin"})
      kept.push_back(platform::ReadFile(root / image).value_or(""));
    core::ZConfig& config = core::ZConfig::Instance();
    config.root = root.path();
    config.KRYFwUp = root / "kry-fwup";
    config.KRYFwUpCheckSum = testing_support::WriteModuleTool(config.KRYFwUp);
    config.OEMString.clear();
    config.OEMFlag = false;
  }
  void TearDown() override { platform::SetClock(nullptr); }

  // A simulator with `arguments`, the SDK settings pointing at it.
  std::unique_ptr<VciSim> Sim(std::vector<std::string> arguments) {
    auto sim = std::make_unique<VciSim>(std::move(arguments));
    EXPECT_TRUE(sim->ok()) << sim->output();
    if (sim->ok()) sim->WriteKryIni(root / "kry/KRY.ini");
    return sim;
  }
  std::unique_ptr<firmware::FirmwareUpdateJob> Job(device::ZKRYDevice& dev,
                                                   firmware::ZKRYFirmwareManager* links = nullptr) {
    firmware::ZKRYFirmwareManager& offered = links ? *links : catalogue;
    firmware::FirmwareJobSetup setup{
        dev, offered, core::ZConfig::Instance(), {root / "Download", false}, ui, 0x0301, 0x0401};
    auto job = std::make_unique<firmware::FirmwareUpdateJob>(setup);
    job->SetObserver([this, j = job.get()] {
      const auto s = j->state();
      if (s.progress > s.progressMaximum) ++barsPastFull;
      if (s.progressMaximum != 120) return;
      if (s.progress > 0 && s.progress < 120) ++vciBarsBetween;
      int seen = maxVciBar.load();
      while (s.progress > seen && !maxVciBar.compare_exchange_weak(seen, s.progress)) {
      }
    });
    return job;
  }
  // Runs the update as the button does, with only the module's row ticked when `moduleOnly`;
  // the adapter is closed again whatever the outcome.
  firmware::FirmwareJobState Update(bool moduleOnly = false) {
    device::ZKRYDevice dev;
    auto job = Job(dev);
    job->Start();
    if (moduleOnly) job->SetTicks(false, true);
    EXPECT_TRUE(job->RequestUpdate());
    job->WaitIdle();
    EXPECT_FALSE(dev.connected());
    return job->state();
  }
  void ExpectKeptImagesIntact() {
    EXPECT_EQ(platform::ReadFile(root / "Download/KRY.bin"), kept[0]);
    EXPECT_EQ(platform::ReadFile(root / "Download/openwrt.bin"), kept[1]);
  }

  testing_support::TempFolder root;
  EnvGuard config_{"XDG_CONFIG_HOME", root.path()};
  EnvGuard tmp_{"TMPDIR", root.path()};  // the module's release file goes there
  EnvGuard simScale_{"KAVORA_TIME_SCALE", "0.02"};
  // Read time-outs at a fifth (1 s lasts 200 ms, enough for a loaded machine or a simulator
  // under ThreadSanitizer), pauses at a fiftieth like the simulator's.
  testing_support::FastPausesClock clock{0.2, 0.02};
  firmware::ZKRYFirmwareManager catalogue;
  ScriptedInteraction ui;
  Strings kept;
  std::atomic<int> maxVciBar{0};  // the observer runs on the worker and the progress thread
  std::atomic<int> vciBarsBetween{0};
  std::atomic<int> barsPastFull{0};  // bars seen between empty and full: the write's counter
};

// A module that takes longer than the reboot wait is still found once it is back.
TEST_F(FirmwareJobTest, UpdatesTheVciAndThenTheModule) {
  auto sim = Sim({"--module", "--firmware-write-ms", "20000", "--upgrade-ms", "150000"});
  device::ZKRYDevice dev;
  auto job = Job(dev);
  job->Start();
  auto s = job->state();
  ASSERT_TRUE(s.vci.visible && s.system.visible);
  EXPECT_EQ(Rows(s), "VCI firmware 1.2.3.4 2.0.0.0 ticked|DoIP system V1.0.3 V1.1.0 ticked");

  ASSERT_TRUE(job->RequestUpdate());
  EXPECT_FALSE(job->RequestClose());  // refused while busy
  job->WaitIdle();
  s = job->state();
  // The bar follows the write, not only its end.
  EXPECT_EQ(std::make_tuple(s.lastRun.ok(), maxVciBar.load(), vciBarsBetween > 0),
            std::make_tuple(true, 120, true));
  // The rows are read again: both parts now run the catalogue's versions.
  EXPECT_EQ(Rows(s), "VCI firmware 2.0.0.0 2.0.0.0|DoIP system V1.1.0 V1.1.0");
  EXPECT_THAT(ui.Texts("status"), testing::Contains(core::Text(core::TextId::kUpdateCompleted)));
  EXPECT_FALSE(dev.connected());
}

// The voltage rule itself is the device's; here: a cancelled question ends the run closed.
TEST_F(FirmwareJobTest, LowVoltageQuestionCancelled) {
  auto sim = Sim({"--profile", root.Put("profile.ini", "[Adapter]\nVoltage=8999\n")});
  ui.Answer({false});
  const auto run = Update().lastRun;
  const std::string question = core::Text(core::TextId::kLowVoltageQuestion);
  EXPECT_EQ(std::make_tuple(run.stage, run.reason, ui.Texts("tip")),
            std::make_tuple(firmware::FirmwareStage::LowVoltage, question, Strings{question}));
}

// The adapter lost halfway through the write: the module is not touched, and the adapter,
// left in its boot loader, is offered the update again from the kept image.
TEST_F(FirmwareJobTest, AFailedVciWriteStopsBeforeTheModuleAndIsOfferedAgain) {
  auto sim = Sim({"--module", "--fw-fail-halfway"});
  const auto s = Update();
  EXPECT_EQ(s.lastRun.stage, firmware::FirmwareStage::WriteVci);
  EXPECT_EQ(s.status, "Updating VCI firmware ... Failed");
  EXPECT_FALSE(sim->WaitFor("put-file", 200));  // the module was not touched
  EXPECT_THAT(ui.Texts("status"),
              testing::Not(testing::Contains(core::Text(core::TextId::kUpdateCompleted))));
  device::ZKRYDevice dev;
  auto again = Job(dev);
  again->Start();
  EXPECT_TRUE(again->state().vci.visible && again->state().vci.ticked);
  ExpectKeptImagesIntact();
}

// Each module fault ends the run with its message (any one listed; "" for none), the rows
// at the old version and the kept images as they were.
// A drop in the middle of a file is met either by the sending or, when the socket buffers
// held the rest, by the checksum command after it. A module that did not get both files
// whole is never told to upgrade.
TEST_F(FirmwareJobTest, ModuleFaultsEndTheRunWithTheirMessage) {
  using Stage = firmware::FirmwareStage;
  const std::tuple<const char*, Stage, Strings> cases[] = {
      {"--module-refuse", Stage::ModuleCheck, {"Connect device failed！"}},
      {"--mount-unreadable", Stage::ModuleCheck, {""}},
      {"--module-corrupt", Stage::UploadTool, {"Checksum firmware failed！"}},
      {"--module-drop-file", Stage::UploadTool, {"Trans fwup failed！", "md5sum failed！"}},
      {"--module-drop-image",
       Stage::UploadImage,
       {"Transfer firmware failed！", "md5sum failed！"}},
      {"--module-never-returns", Stage::ModuleBack, {"Reconnect device failed！"}},
      {"--upgrade-refused",
       Stage::Upgrade,
       {"The module refused the upgrade: Command failed: Permission denied"}},
      {"--comes-back-old",
       Stage::VersionCheck,
       {"After the update the module reports version V1.0.3 instead of V1.1.0."}},
  };
  // Pauses (up to the 96 s reboot wait and 256 retries) at a two-hundredth, the longest one
  // noted: a refused upgrade starts no reboot, so it must not wait for one.
  struct CountedPauses : testing_support::FastPausesClock {
    using FastPausesClock::FastPausesClock;
    void Sleep(std::int64_t ms) override {
      if (ms > longest) longest = ms;
      FastPausesClock::Sleep(ms);
    }
    std::atomic<std::int64_t> longest{0};
  } faster{0.25, 0.005};
  platform::SetClock(&faster);
  EnvGuard simScale("KAVORA_TIME_SCALE", "0.002");
  for (const auto& [fault, stage, messages] : cases) {
    SCOPED_TRACE(fault);
    ui.Clear();
    maxVciBar = barsPastFull = 0;
    auto sim = Sim({"--module", "--upgrade-ms", "20000", fault});
    faster.longest = 0;
    const auto s = Update(true);
    if (stage == Stage::Upgrade) {
      EXPECT_LT(faster.longest, 96000);
    }
    // The unticked VCI is left alone, and a slow module never pushes the bar past full.
    EXPECT_EQ(std::make_pair(maxVciBar.load(), barsPastFull.load()), std::make_pair(0, 0));
    EXPECT_EQ(s.lastRun.stage, stage);
    EXPECT_EQ(s.status, stage == Stage::ModuleCheck ? "Checking DoIP system status ... Failed"
                                                    : "Updating system firmware ... Failed");
    const Strings shown = ui.Texts("message");
    EXPECT_THAT(messages, testing::Contains(shown.empty() ? "" : shown.back()));
    EXPECT_EQ(s.lastRun.reason, shown.empty() ? s.status : shown.back());
    EXPECT_EQ(s.system.currentVersion, "V1.0.3");
    EXPECT_EQ(sim->WaitFor("upgrade_start", 50), stage >= Stage::Upgrade);
    ExpectKeptImagesIntact();
  }
}

TEST_F(FirmwareJobTest, NothingToOfferAndNothingTicked) {
  auto sim = Sim({"--profile", root.Put("profile.ini", "[Adapter]\nPID=0x0999\n")});
  device::ZKRYDevice dev;
  auto job = Job(dev);
  job->Start();
  EXPECT_FALSE(job->state().vci.visible);
  EXPECT_EQ(job->state().status, "None firmware found, please contact OrbDiag.");
  EXPECT_FALSE(job->RequestUpdate());
  EXPECT_FALSE(dev.connected());
}

TEST_F(FirmwareJobTest, AForeignKeptImageIsNeverWritten) {
  auto sim = Sim({});
  platform::WriteFile(root / "Download/KRY.bin", "an image for another adapter");
  EXPECT_EQ(Update().lastRun.stage, firmware::FirmwareStage::DownloadVciImage);
  EXPECT_FALSE(sim->WaitFor("firmware write", 100));
}

// Opening warns when offline, unless configured offline. Change logs open only for web
// addresses and never in OEM mode; an OEM text of two characters or more prefixes the versions
// shown, a shorter one nothing.
TEST_F(FirmwareJobTest, OpeningWarnsWhenOfflineAndOnlyWebLinksOpen) {
  auto sim = Sim({});
  core::ZCommSettings comm(root / "kry/KRY.ini");
  ASSERT_TRUE(comm.Load());
  core::ZConfig& config = core::ZConfig::Instance();
  const std::tuple<bool, bool, bool> cases[] = {
      {true, false, false}, {false, false, true}, {false, true, false}};
  for (const auto& [online, configuredOffline, warned] : cases) {
    config.OfflineMode = configuredOffline;
    device::ZKRYDevice dev;
    ui.Clear();
    EXPECT_TRUE(firmware::MayOpenFirmwareWindow(ui, dev, comm, config, online));
    EXPECT_EQ(ui.Texts("message"),
              warned ? Strings{"Offline! Download new Firmware failed!"} : Strings{});
    EXPECT_FALSE(dev.connected());
  }
  config.OfflineMode = false;

  EnvGuard opener("ORB_OPEN_COMMAND", "/bin/true");
  const std::tuple<const char*, const char*, bool, bool, const char*> links[] = {
      {"HTTPS://127.0.0.42/log", "X", false, true, "1.2.3.4"},
      {"file:///etc/passwd", "", false, false, "1.2.3.4"},
      {"http://127.0.0.42/log", "X-", true, false, "X-1.2.3.4"},
  };
  for (const auto& [url, oemString, oemFlag, opened, shownVersion] : links) {
    SCOPED_TRACE(url);
    firmware::ZKRYFirmwareManager offered;
    const std::string fws = "<FWS><ITEM><PID>769</PID><VERSION>2.0.0.0</VERSION><UPDATELOGURL>";
    ASSERT_TRUE(offered.Load(root.Put("links.xml", fws + url + "</UPDATELOGURL></ITEM></FWS>")));
    config.OEMString = oemString;
    config.OEMFlag = oemFlag;
    device::ZKRYDevice dev;
    auto job = Job(dev, &offered);
    job->Start();
    EXPECT_EQ(job->OpenVciLog(), opened);
    EXPECT_EQ(job->state().vci.currentVersion, shownVersion);
    EXPECT_TRUE(job->RequestClose());
  }
}

// With a module the reset also restarts the module's system; refused (held by another
// program) or cancelled, nothing is reset and the report stays. The adapter is closed again.
TEST_F(FirmwareJobTest, ResetWithAndWithoutModuleRefusedOrCancelled) {
  device::DeviceOPThread operations;
  ASSERT_TRUE(operations.Start());
  const std::string comm = "HWRSTWND Reset Device Restart comm module";
  const std::string ask = core::Text(core::TextId::kResetQuestion);
  // The progress windows shown: none when nothing is reset.
  const std::tuple<Strings, bool, std::string, Strings> cases[] = {
      {{}, false, ask, {comm}},
      {{"--module"}, false, ask, {comm, "HWRESETTIP Reset Device Restart system"}},
      {{"--held"}, false, core::Text(core::TextId::kResetInUseQuestion), {}},
      {{}, true, ask, {}},
  };
  for (const auto& [simArgs, cancel, tip, progressWindows] : cases) {
    SCOPED_TRACE(::testing::PrintToString(simArgs) + (cancel ? " cancelled" : ""));
    auto sim = Sim(simArgs);
    device::ZKRYDevice dev;
    ui.Clear();
    if (cancel) ui.Answer({false});
    int refreshed = 0;
    std::string picture;
    firmware::ResetContext ctx{ui, operations, [&](const std::string& p) { picture = p; },
                               [&] { ++refreshed; }};
    const auto outcome = firmware::HWReset(&dev, ctx);
    const bool reset = !progressWindows.empty();
    EXPECT_EQ(std::make_tuple(outcome.reset, outcome.rebootSent, refreshed, picture),
              std::make_tuple(reset, progressWindows.size() == 2, reset ? 1 : 0,
                              std::string(reset ? "conn_unknow.png" : "")));
    EXPECT_EQ(reset ? sim->WaitFor("reset") : sim->Recorded("reset"), reset);
    EXPECT_EQ(ui.Texts("tip"), Strings{tip});
    Strings windows;
    for (const auto& s : ui.shown())
      if (s.kind == "progresswindow")
        windows.push_back(s.windowName + " " + s.caption + " " + s.text);
    EXPECT_EQ(windows, progressWindows);
    EXPECT_FALSE(dev.connected());
  }
  operations.Stop();
}

}  // namespace
