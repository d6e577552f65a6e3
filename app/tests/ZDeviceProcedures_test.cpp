// The device page's procedures over a started core, against the adapter simulator with the
// clock scaled: what the buttons do, and that one procedure at a time uses the adapter.
#include "app/ZDeviceProcedures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>
#include <tuple>

#include "app/ZCoreManager.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "core/tests/ConfigFixture.h"
#include "device/DeviceButtons.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/ServedFolder.h"
#include "tests/support/VciSim.h"
#include "tests/support/WaitForFile.h"

namespace {

using testing_support::VciSim;

class DeviceProceduresTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    platform::SetClock(&clock);
    root.Put("Language/EN.xml", "<lang></lang>");
    root.Put("Download/APPS.xml", "<APPS/>");
    // The kept VCI image and the kept catalogue that offers it (offline run).
    ASSERT_TRUE(testing_support::WriteKeptFirmware(root / "Download", false));
  }
  void TearDown() override {
    procedures.reset();
    operations.Stop();
    platform::SetClock(nullptr);
  }
  // Starts the core as the program does, against a simulator run with `simArguments`, with
  // `configLines` in CONFIG.
  void StartCore(std::vector<std::string> simArguments = {}, const std::string& configLines = "",
                 bool offline = true) {
    sim = std::make_unique<VciSim>(std::move(simArguments));
    ASSERT_TRUE(sim->ok()) << sim->output();
    sim->WriteKryIni(sdkIni());
    WriteConfig("[CONFIG]\nLANGUAGE=1\nOfflineMode=" + std::string(offline ? "1" : "0") + "\n" +
                configLines);
    core::ZConfig::Instance() = core::ZConfig();
    core::ZConfig::Instance().LoadFrom(root.path());
    ASSERT_TRUE(core.Init(ui));
    ui.Clear();
    ASSERT_TRUE(operations.Start());
    procedures = std::make_unique<app::ZDeviceProcedures>(core, ui, operations);
  }
  std::vector<std::string> Messages() const { return ui.Texts("message"); }

  platform::ScaledClock clock{0.01};
  app::ZCoreManager core;
  testing_support::ScriptedInteraction ui;
  device::DeviceOPThread operations;
  std::unique_ptr<VciSim> sim;
  std::unique_ptr<app::ZDeviceProcedures> procedures;
};

// The page's state between runs: 1.2.3.4 is not the catalogue's 2.0.0.0, the last report is
// kept and the adapter closed. Offline the window never opens by itself (and says nothing); the
// button opens it, as the kept image may serve, and the holding of the adapter ends with it.
TEST_F(DeviceProceduresTest, ThePageStateAndTheButtons) {
  StartCore({"--module"});
  procedures->BindPage({nullptr, nullptr, "Update Firmware"});
  int opened = 0;
  procedures->SetFirmwareWindow([&](const firmware::FirmwareJobSetup&) { ++opened; });
  const device::DeviceReport r = procedures->Report();
  ASSERT_GE(r.rows.size(), 3u);
  EXPECT_EQ(std::make_tuple(r.rows[2].value, r.firmwareUpdate, r.firmwareButtonText,
                            procedures->lastReport().doipPid, procedures->device()->connected()),
            std::make_tuple("K9ABC00258", true, "Update Firmware +", 0x0401u, false));
  EXPECT_FALSE(procedures->AutoFirmwareUpdate());
  EXPECT_TRUE(ui.shown().empty());
  EXPECT_TRUE(procedures->FirmwareUpdate());
  EXPECT_EQ(std::make_pair(opened, procedures->busy()), std::make_pair(1, false));

  // The buttons reach their procedures.
  int refreshed = 0;
  const auto press = [&](device::DeviceButton button) {
    return device::RunDeviceButton(*procedures, ui, button, [&] { ++refreshed; });
  };
  EXPECT_EQ(press(device::DeviceButton::SelfTest), device::ButtonOutcome::Done);
  EXPECT_EQ(ui.Texts("tip"), std::vector<std::string>{core::Text(core::TextId::kComplete)});
  ASSERT_TRUE(sim->WaitFor("beep 0 1"));
  EXPECT_EQ(press(device::DeviceButton::RefreshDevice), device::ButtonOutcome::Done);
  EXPECT_EQ(refreshed, 1);

  // The reset shows its picture and its refreshed report through the page.
  std::vector<std::string> page;
  procedures->BindPage({[&](const device::DeviceReport& r) { page.push_back(r.serialText); },
                        [&](const std::string& p) { page.push_back(p); }, ""});
  EXPECT_EQ(press(device::DeviceButton::Reset), device::ButtonOutcome::Done);
  EXPECT_TRUE(sim->Recorded("reset"));
  EXPECT_EQ(page, (std::vector<std::string>{"conn_unknow.png", "K9ABC00258"}));

  sim->Stop();
  ui.Clear();
  EXPECT_EQ(press(device::DeviceButton::HardwareTest), device::ButtonOutcome::NotConnected);
  EXPECT_EQ(Messages(), std::vector<std::string>{core::Text(core::TextId::kNotConnected)});
}

TEST_F(DeviceProceduresTest, WhileTheFirmwareJobRunsNothingElseTouchesTheAdapter) {
  StartCore({"--firmware-write-ms", "100000"});
  procedures->Report();
  std::atomic<bool> finish{false};
  bool completed = false;
  procedures->SetFirmwareWindow([&](firmware::FirmwareJobSetup setup) {
    firmware::FirmwareUpdateJob job(std::move(setup));
    job.Start();
    ASSERT_TRUE(job.RequestUpdate());
    job.WaitIdle();
    completed = job.state().lastRun.ok();
    while (!finish) std::this_thread::yield();  // the window stays open a while
    job.RequestClose();
  });
  std::thread window([&] { EXPECT_TRUE(procedures->FirmwareUpdate()); });
  // A failure below still closes the window, so the test ends instead of waiting for it.
  const std::shared_ptr<void> closing(nullptr, [&](void*) {
    finish = true;
    if (window.joinable()) window.join();
  });
  ASSERT_TRUE(sim->WaitFor("firmware write begins"));
  EXPECT_TRUE(procedures->busy());

  const std::size_t before = sim->Record().size();
  ui.Clear();
  const device::DeviceReport last = procedures->lastReport();
  EXPECT_EQ(procedures->Report().rows.size(), last.rows.size()) << "the page keeps what it shows";
  EXPECT_FALSE(procedures->Probe());
  procedures->LedTest();
  procedures->Reset();
  EXPECT_EQ(procedures->UnlockAdapter(), device::kConsoleNoReply);
  EXPECT_FALSE(procedures->FirmwareUpdate()) << "one firmware window at a time";
  EXPECT_FALSE(procedures->AutoFirmwareUpdate());
  const std::string busy =
      "The adapter is busy with the firmware update. Please try again when it has finished.";
  EXPECT_EQ(Messages(), std::vector<std::string>(5, busy));
  EXPECT_TRUE(ui.Texts("tip").empty()) << "the unlock asked nothing";
  // Only the write itself went on meanwhile.
  const auto record = sim->Record();
  for (std::size_t i = before; i < record.size(); ++i)
    EXPECT_TRUE(record[i].rfind("firmware", 0) == 0) << record[i];

  finish = true;
  window.join();
  // Free again once the window closed.
  EXPECT_EQ(std::make_tuple(completed, procedures->busy(), procedures->Report().rows[6].value),
            std::make_tuple(true, false, "2.0.0.0"));
}

TEST_F(DeviceProceduresTest, TheUnlockReachesAHeldAdapterThroughItsRecordedAddress) {
  StartCore({"--held"});
  ui.Answer({true});
  EXPECT_EQ(procedures->UnlockAdapter(), device::kConsoleDropSent);
  EXPECT_TRUE(sim->WaitFor("console: dropped"));
  EXPECT_EQ(ui.Texts("tip"), (std::vector<std::string>{core::Text(core::TextId::kUnlockQuestion),
                                                       core::Text(core::TextId::kDeviceUnlocked)}));
}

// Each tool records where it ran and which copy ran: the tools work on the root's logs and
// Download folder, so the root is their working folder wherever they were found.
TEST_F(DeviceProceduresTest, ExternalToolsRunInTheRootFolderFoundThereFirst) {
  // Two tools beside the test program; the second also in the root, where it must win. The
  // ".exe" the configuration may name is not part of the file's name.
  const std::string name = "OrbToolTest" + std::to_string(::getpid());
  const std::string beside = platform::JoinPath(platform::ProgramFolder(), name);
  struct Removed {
    std::string path;
    ~Removed() {
      for (const std::string& p : {path, path + "B"}) ::unlink(p.c_str());
    }
  } removed{beside};
  const std::pair<std::string, const char*> copies[] = {{root / "tools/Repair", "subfolder"},
                                                        {beside, "beside"},
                                                        {beside + "B", "beside"},
                                                        {root / (name + "B"), "root"}};
  for (const auto& [path, copy] : copies) {
    platform::CreateFolders(platform::FolderOf(path));
    platform::WriteFile(path, "#!/bin/sh\necho \"$(pwd) " + std::string(copy) +
                                  "\" > ran.tmp && mv ran.tmp ran.txt\n");
    ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
  }
  StartCore({}, "RepairDeviceProgram=" + (root / "tools/Repair") + "\nDoIPSwitchProgram=" + name +
                    ".exe\nCaptureLogProgram=" + name + "B\n");
  const std::pair<device::DeviceTool, const char*> cases[] = {
      {device::DeviceTool::RepairDevice, "subfolder"},
      {device::DeviceTool::DoIPSwitch, "beside"},
      {device::DeviceTool::CaptureLog, "root"}};
  for (const auto& [tool, copy] : cases) {
    ::unlink((root / "ran.txt").c_str());
    EXPECT_TRUE(procedures->StartTool(tool)) << ::testing::PrintToString(Messages());
    testing_support::WaitForFile(root / "ran.txt", 20000);
    EXPECT_EQ(platform::ReadFile(root / "ran.txt").value_or(""), root.path() + " " + copy + "\n");
  }
  EXPECT_TRUE(Messages().empty());

  core::ZConfig::Instance().CaptureLogProgram = "NoSuchTool.exe";
  EXPECT_FALSE(procedures->StartTool(device::DeviceTool::CaptureLog));
  EXPECT_EQ(Messages(), std::vector<std::string>{"The tool NoSuchTool.exe was not found."});
}

// Online, with new firmware in the catalogue: the window opens by itself once, and not at
// all while the page is busy or in Farlink mode.
TEST_F(DeviceProceduresTest, AutomaticOpeningOnlyWhenEveryConditionHolds) {
  testing_support::ServedFolder web("127.0.0.48");
  ASSERT_TRUE(web.started());
  web.Put("update.ini", "[UPDATE]\nManagerVersion=1.0.0\nManagerURL=u\nMD5=M\nSize=5\n");
  web.Put("APPS.xml", "<APPS/>");
  web.Put("fws.xml", *platform::ReadFile(root / "Download/fws.xml"));
  web.Put("sps.xml", "<SPS/>");
  StartCore({},
            "ManagerVersion=1.0.0\nUpdateURL=" + web.Url("/update.ini") +
                "\nApplicationURL=" + web.Url("/APPS.xml") +
                "\nFirmwareURL=" + web.Url("/fws.xml") + "\nSPSListURL=" + web.Url("/sps.xml"),
            false);
  ASSERT_TRUE(core.online());
  int opened = 0;
  const auto fresh = [&] {
    procedures = std::make_unique<app::ZDeviceProcedures>(core, ui, operations);
    procedures->SetFirmwareWindow([&](const firmware::FirmwareJobSetup&) { ++opened; });
    procedures->Report();
  };
  fresh();
  ASSERT_TRUE(procedures->lastReport().firmwareUpdate);
  EXPECT_TRUE(procedures->AutoFirmwareUpdate());
  EXPECT_FALSE(procedures->AutoFirmwareUpdate()) << "once per program start";
  EXPECT_EQ(opened, 1);

  fresh();
  auto done = std::make_shared<std::atomic<bool>>(false);
  ASSERT_TRUE(operations.StartOperation(device::DeviceOPThread::Operation::Wait,
                                        device::DeviceOPThread::WaitFor::Module, done));
  EXPECT_FALSE(procedures->AutoFirmwareUpdate()) << "the page waits after a reset";
  for (int i = 0; i < 20000 && !*done; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(*done) << "the wait after the reset never ended";

  fresh();
  core.commSettings()->current().Type = core::kCommFarlink;
  EXPECT_FALSE(procedures->AutoFirmwareUpdate());
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(ui.Texts("message").empty());
}

}  // namespace
