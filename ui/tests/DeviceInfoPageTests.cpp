// The device information page of the real program against the adapter simulator: the
// report it shows and the procedures its buttons reach.
#include <sys/stat.h>

#include <QTest>
#include <fstream>

#include "core/ProgramTexts.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/VciSim.h"
#include "ui/DeviceInfoWnd.h"
#include "ui/DeviceWnd.h"
#include "ui/ListControl.h"
#include "ui/MainFrameWnd.h"
#include "ui/tests/UiTestSupport.h"

namespace {

class DeviceInfoPageTests : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    platform::SetClock(&clock_);
    sim_ = std::make_unique<testing_support::VciSim>(std::vector<std::string>{"--module"});
    QVERIFY(sim_->ok());
    sim_->WriteKryIni(uitest::KryIni());
    const std::string tool = uitest::Root() + "/CaptureLog";
    std::ofstream(tool) << "#!/bin/sh\ntouch captured.txt\n";
    ::chmod(tool.c_str(), 0755);
    uitest::WriteConfig(
        "LANGUAGE=1\nOfflineMode=1\nCaptureLogProgram=CaptureLog.exe\n"
        "OBDVoltageProgram=NoSuchTool.exe");
    script_ = std::make_unique<testing_support::ScriptedInteraction>();
    frame_ = uitest::ShowNew<ui::MainFrameWnd>("OrbManager", *script_);
    QVERIFY(frame_->initialised());
    info_ = frame_->devicePage()->infoPage();
  }
  void cleanup() {
    delete frame_;
    sim_.reset();
    platform::SetClock(nullptr);
    ::unsetenv("KAVORA_TIME_SCALE");
  }

  void theReportAndTheButtons() {
    auto* list = info_->Find<ui::List>("lstDevInfo");
    QCOMPARE(list->GetCount(), 17);
    QCOMPARE(list->GetItemAt(2)->GetText(1), QString("K9ABC00258"));
    const QString tip = "LAN\r\n" + QString::fromStdString(sim_->address()) + " : 6800";
    QCOMPARE(info_->FindControl("deviceConnImage")->widget()->toolTip(), tip);
    QCOMPARE(frame_->FindControl("labelDeviceSN")->text(), QString("K9ABC00258"));
    QCOMPARE(frame_->FindControl("labelOBDVoltage")->text(), QString(" 12.34 V"));
    // No catalogue offline: the firmware counts as new.
    QCOMPARE(info_->FindControl("btnFWUpdate")->text(), QString("Update Firmware +"));

    // What each button's procedure showed, and did on the adapter.
    const struct {
      const char* button;
      bool cancel;  // the question answered with Cancel
      const char* kind;
      std::string shown;  // one line each; the window names of progress windows
      const char* recorded;
    } cases[] = {
        {"btnSelfTest", false, "tip", core::Text(core::TextId::kComplete), "beep 0 1"},
        {"btnHWTest", false, "tip", core::Text(core::TextId::kComplete), "beep 0 1"},
        {"btnReset", false, "progresswindow", "HWRSTWND\nHWRESETTIP\n", "reset"},
        {"btnOBDVoltage", false, "message", "The tool NoSuchTool.exe was not found.", ""},
        {"btnUnLockDevice", true, "tip", core::Text(core::TextId::kUnlockQuestion), ""},
    };
    for (const auto& c : cases) {
      script_->Clear();
      if (c.cancel) script_->Answer({false});
      uitest::Click(info_, c.button);
      std::string shown;
      for (const auto& s : script_->shown())
        if (s.kind == c.kind)
          shown += c.kind == std::string("progresswindow") ? s.windowName + "\n" : s.text;
      QCOMPARE(QString::fromStdString(shown), QString::fromStdString(c.shown));
      if (*c.recorded) QVERIFY(sim_->WaitFor(c.recorded));
    }
    QCOMPARE(info_->Find<ui::List>("lstDevInfo")->GetCount(), 17);  // refreshed after the reset
    uitest::Click(info_, "btnLog");
    QTRY_VERIFY(platform::FileExists(uitest::Root() + "/captured.txt"));

    // The real firmware window: once it is closed, the page's report right after it finds
    // the adapter free (the window's job held it until the window went).
    script_->Clear();
    bool shown = false;
    uitest::WhenShown("FWUPWND", [&](QWidget* window) {
      shown = true;
      uitest::Click(window, "btnClose");
    });
    uitest::Click(info_, "btnFWUpdate");
    QVERIFY(shown);
    QCOMPARE(script_->Texts("message"), std::vector<std::string>{});
    QVERIFY(!frame_->deviceProcedures()->busy());
    // The window is given the parts of the adapter the report found, and the holding of it.
    int opened = 0;
    frame_->deviceProcedures()->SetFirmwareWindow([&](firmware::FirmwareJobSetup setup) {
      opened += setup.vciPid == 0x0301u && setup.doipPid == 0x0401u && setup.use;
    });
    uitest::Click(info_, "btnFWUpdate");
    QCOMPARE(opened, 1);
  }

 private:
  platform::ScaledClock clock_{0.01};
  std::unique_ptr<testing_support::VciSim> sim_;
  std::unique_ptr<testing_support::ScriptedInteraction> script_;
  ui::MainFrameWnd* frame_ = nullptr;
  ui::DeviceInfoWnd* info_ = nullptr;
};

}  // namespace

UITEST_RUNNER(DeviceInfoPageTests)

#include "DeviceInfoPageTests.moc"
